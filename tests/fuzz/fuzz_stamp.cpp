// Fuzz target: the stamp scan over a stream read in chunks. Input: two bytes choosing the work buffer's size
// (82 to 65000 bytes, as the reader's shrinking allocation can give), then the stream. Whatever the chunks,
// the block is the 81 bytes at the stream's first signature, zeros past its end; no signature, no block.
#include "fuzz_check.h"
#include "install/stampscan.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

struct Stream {
    const uint8_t* data;
    size_t size, position;
};

static int Read(void* context, unsigned char* buffer, int length) {
    Stream* s = static_cast<Stream*>(context);
    size_t n = std::min((size_t)length, s->size - s->position);
    memcpy(buffer, s->data + s->position, n);
    s->position += n;
    return (int)n;
}

static int ReadAt(void* context, long long offset, unsigned char* buffer, int length) {
    Stream* s = static_cast<Stream*>(context);
    FUZZ_CHECK(offset >= 0, "a positioned read before the start: " + std::to_string(offset));
    s->position = std::min((size_t)offset, s->size);
    return Read(context, buffer, length);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2)
        return 0;
    int bufferSize = kStampSize + 1 + (data[0] | data[1] << 8) % (kStampChunk - kStampSize);
    Stream stream = {data + 2, size - 2, 0};
    std::vector<unsigned char> buffer(bufferSize);
    unsigned char block[kStampSize];
    memset(block, 0x5a, sizeof block);
    StampReader reader = {&stream, Read, ReadAt};
    int found = FindStamp(&reader, buffer.data(), bufferSize, block);

    std::string all(reinterpret_cast<const char*>(stream.data), stream.size);
    size_t at = all.find(std::string(reinterpret_cast<const char*>(ownVersionStamp), kStampSignatureLength));
    FUZZ_CHECK(found == (at != std::string::npos ? 1 : 0), "found " + std::to_string(found));
    std::string expected =
        at == std::string::npos ? std::string(kStampSize, '\x5a') : all.substr(at, kStampSize);
    expected.resize(kStampSize, '\0');
    FUZZ_CHECK(memcmp(block, expected.data(), kStampSize) == 0, "block at " + std::to_string(at));

    char text[kVersionTextSize];
    memset(text, 0x5a, sizeof text);
    VersionStampText(block, text);
    std::string wanted = std::to_string(block[kStampMajor]) + "." +
                         std::string(1, (char)block[kStampMinor1]) +
                         std::string(1, (char)block[kStampMinor2]);
    FUZZ_CHECK(memchr(text, '\0', sizeof text) != nullptr && text == wanted.substr(0, wanted.find('\0')),
               std::string("version text ") + text);
    return 0;
}
