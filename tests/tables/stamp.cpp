// The stamp scan at the edges of its 65000-byte chunks (fuzz_stamp.cpp: any stream against a plain search).
#include "install/stampscan.h"

#include <gtest/gtest.h>
#include <string>

struct StampStream { // a file in memory
    std::string data;
    size_t at;
};

static int Read(void* context, unsigned char* buffer, int length) {
    StampStream* s = static_cast<StampStream*>(context);
    size_t n = s->data.copy((char*)buffer, (size_t)length, s->at);
    s->at += n;
    return (int)n;
}

static int ReadAt(void* context, long long offset, unsigned char* buffer, int length) {
    static_cast<StampStream*>(context)->at = (size_t)offset;
    return Read(context, buffer, length);
}

TEST(StampScan, AtTheChunkEdges) {
    std::string block((const char*)ownVersionStamp, kStampSignatureLength);
    for (int i = kStampSignatureLength; i < kStampSize; ++i)
        block += (char)('0' + i % 40); // bytes that show a shifted or partial copy
    const std::string chunk(kStampChunk, '.');
    const struct {
        std::string before;
        size_t kept; // bytes of the block in the stream; under 81, the stream ends there
    } cases[] = {
        {"", kStampSize},
        {"..zEl", kStampSize},               // zElzElSiG
        {chunk.substr(3), kStampSize},       // the signature across the first chunk's end
        {chunk.substr(40), kStampSize},      // the block in the last 81 bytes of a full chunk
        {chunk, kStampSize},                 // the block all of the second chunk
        {chunk.substr(20), 40},              // the block cut by the end of the stream: zeros
        {"....", kStampSignatureLength - 1}, // the signature cut: no block
    };
    static unsigned char buffer[kStampChunk];
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        StampStream stream = {
            cases[i].before + block.substr(0, cases[i].kept) + (cases[i].kept < 81 ? "" : "tail"), 0};
        StampReader reader = {&stream, Read, ReadAt};
        std::string found(kStampSize, '\x5a'), expected = block.substr(0, cases[i].kept);
        bool whole = cases[i].kept >= kStampSignatureLength;
        EXPECT_EQ(FindStamp(&reader, buffer, kStampChunk, (unsigned char*)&found[0]), whole ? 1 : 0);
        expected.resize(kStampSize, '\0');
        EXPECT_EQ(found, whole ? expected : std::string(kStampSize, '\x5a'));
    }
}

TEST(StampScan, APatternThatOverlapsItself) {
    int matched = 0; // in "aaab" the third 'a' breaks a match of "aab" and goes on with one of its own
    EXPECT_EQ(ScanPatternChunk((const unsigned char*)"aab", 3, &matched, (const unsigned char*)"aaab", 4), 4);
}
