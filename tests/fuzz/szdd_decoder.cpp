#include "szdd_decoder.h"

#include <cstring>

namespace fuzzszdd {

namespace {

const uint8_t kSignature[8] = {0x53, 0x5A, 0x44, 0x44, 0x88, 0xF0, 0x27, 0x33};
constexpr unsigned kWindow = 4096;
constexpr unsigned kWindowMask = kWindow - 1;
constexpr unsigned kFirstWrite = kWindow - 16;

// The ring and the output, written together one byte at a time.
struct Sink {
    uint8_t window[kWindow];
    unsigned next = kFirstWrite;
    uint8_t* out;
    size_t length = 0;
    size_t goal;

    Sink(uint8_t* o, size_t g) : out(o), goal(g) {
        std::memset(window, 0x20, sizeof window);
    }
    bool Full() const {
        return length == goal;
    }
    void Put(uint8_t c) {
        out[length++] = c;
        window[next] = c;
        next = (next + 1) & kWindowMask;
    }
};

} // namespace

Result ReadHeader(const uint8_t* image, size_t size, Header* header) {
    if (size < kHeaderBytes || std::memcmp(image, kSignature, sizeof kSignature) != 0)
        return Result::kBadHeader;
    header->mode = image[8];
    header->lastChar = image[9];
    header->expandedSize = static_cast<uint32_t>(image[10]) | static_cast<uint32_t>(image[11]) << 8 |
                           static_cast<uint32_t>(image[12]) << 16 | static_cast<uint32_t>(image[13]) << 24;
    return Result::kOk;
}

Result Decode(const uint8_t* image, size_t size, uint8_t* out, size_t capacity, size_t* written,
              size_t* consumed) {
    *written = 0;
    *consumed = 0;
    Header header;
    if (ReadHeader(image, size, &header) != Result::kOk || header.mode != 'A')
        return Result::kBadHeader;
    if (header.expandedSize > capacity)
        return Result::kTooLarge;
    Sink sink(out, header.expandedSize);
    size_t at = kHeaderBytes;
    Result result = Result::kOk;
    while (!sink.Full() && result == Result::kOk) {
        if (at == size) {
            result = Result::kTruncated;
            break;
        }
        const unsigned control = image[at++];
        for (unsigned bit = 0; bit < 8 && !sink.Full(); ++bit) {
            if (control & (1u << bit)) {
                if (at == size) {
                    result = Result::kTruncated;
                    break;
                }
                sink.Put(image[at++]);
                continue;
            }
            if (size - at < 2) {
                result = Result::kTruncated;
                break;
            }
            const unsigned low = image[at];
            const unsigned high = image[at + 1];
            at += 2;
            const unsigned source = low | (high & 0xF0u) << 4;
            const unsigned count = (high & 0x0Fu) + 3;
            for (unsigned k = 0; k < count && !sink.Full(); ++k)
                sink.Put(sink.window[(source + k) & kWindowMask]);
        }
    }
    *written = sink.length;
    *consumed = at;
    return result;
}

} // namespace fuzzszdd
