// Version stamps: the chunk scanner on its own, the reader on real files, the
// version text and the comparison. The signature is never spelled out in this
// file: it is taken from the program's own block, so that this test program,
// like SETUP.EXE, holds it exactly once.
#include "install/stamp.h"

#include "boxscript.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <string>
#include <vector>

namespace {

std::string Signature() {
    return std::string((const char*)ownVersionStamp, kStampSignatureLength);
}

// An 81-byte block: the signature, then bytes numbered from 6 up so that a
// shifted or partly copied block shows; version major.minor1minor2.
std::string Block(unsigned char major, char minor1, char minor2) {
    std::string block = Signature();
    for (int i = kStampSignatureLength; i < kStampSize; ++i)
        block += (char)(0x40 + i);
    block[kStampMajor] = (char)major;
    block[kStampMinor1] = minor1;
    block[kStampMinor2] = minor2;
    return block;
}

// Filler that holds no part of the signature's first byte.
std::string Filler(size_t length) {
    std::string filler(length, '\0');
    for (size_t i = 0; i < length; ++i)
        filler[i] = (char)('a' + i % 23) == ownVersionStamp[0] ? '.' : (char)('a' + i % 23);
    return filler;
}

// Feeds chunks to the scanner; returns {chunk index, end} of the match, or {-1, 0}.
std::pair<int, int> Scan(const std::vector<std::string>& chunks) {
    int matched = 0;
    for (size_t c = 0; c < chunks.size(); ++c) {
        int end = ScanPatternChunk(ownVersionStamp, kStampSignatureLength, &matched,
                                   (const unsigned char*)chunks[c].data(), (int)chunks[c].size());
        if (end > 0)
            return {(int)c, end};
    }
    return {-1, 0};
}

TEST(StampScanner, Chunks) {
    const std::string s = Signature();
    struct {
        std::vector<std::string> chunks;
        int chunk, end;
    } cases[] = {
        {{s}, 0, 6},
        {{"abc" + s}, 0, 9},
        {{"zEl" + s + "tail"}, 0, 9},    // zElzElSiG
        {{"z" + s}, 0, 7},               // zzElSiG
        {{"zElSzElSi"}, -1, 0},          // two partial matches, neither complete
        {{"xxzE", "lSiGyy"}, 1, 4},      // split inside the signature
        {{"abzEl", s}, 1, 6},            // a partial match, then a fresh one
        {{"abzEl", "zEl", "SiG"}, 2, 3}, // a false start across three chunks
        {{"zEl", "x", "SiG"}, -1, 0},    // an interruption breaks the match
        {{"zElSi", "g"}, -1, 0},         // letter case counts
        {{s + s}, 0, 6},                 // the first match ends the scan
        {{"", "zElS", "", "iG"}, 3, 2},  // empty chunks keep the state
        {{"abc", "def"}, -1, 0},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        std::pair<int, int> found = Scan(cases[i].chunks);
        EXPECT_EQ(found.first, cases[i].chunk);
        EXPECT_EQ(found.second, cases[i].end);
    }
}

TEST(StampScanner, EverySplitPointOfAnOverlappingPrefix) {
    const std::string text = "..zEzElzEl" + Signature() + "..";
    const int end = (int)text.find(Signature()) + kStampSignatureLength;
    for (size_t split = 0; split <= text.size(); ++split) {
        SCOPED_TRACE(split);
        std::pair<int, int> found = Scan({text.substr(0, split), text.substr(split)});
        int chunk = (int)split >= end ? 0 : 1;
        EXPECT_EQ(found.first, chunk);
        EXPECT_EQ(found.second, chunk == 0 ? end : end - (int)split);
    }
}

TEST(StampScanner, OneByteAtATime) {
    const std::string text = "zEzElzElS" + Signature();
    std::vector<std::string> bytes;
    for (char c : text)
        bytes.push_back(std::string(1, c));
    std::pair<int, int> found = Scan(bytes);
    EXPECT_EQ(found.first, (int)text.size() - 1);
    EXPECT_EQ(found.second, 1);
}

class StampFile : public testing::Test {
  protected:
    void SetUp() override {
        saved_ = stampBufferAlloc;
        dir_ = MakeTempDir("stamp");
        path_ = dir_ + "\\PRODUCT.BIN";
        memset(block_, 0xcc, sizeof block_);
    }
    void TearDown() override {
        stampBufferAlloc = saved_;
        RemoveTree(dir_);
    }
    void Write(const std::string& data) {
        ASSERT_TRUE(WriteWholeFile(path_, data));
    }
    int Read() {
        return ReadVersionStamp(path_.c_str(), block_);
    }
    std::string Got() const {
        return std::string((const char*)block_, kStampSize);
    }
    bool Untouched() const {
        for (unsigned char b : block_)
            if (b != 0xcc)
                return false;
        return true;
    }
    std::string dir_, path_;
    void* (*saved_)(size_t) = nullptr;
    unsigned char block_[kStampSize];
};

TEST_F(StampFile, NoSignatureLeavesTheBufferAlone) {
    Write(Filler(200000) + "zElSi" + Filler(10));
    EXPECT_EQ(Read(), 0);
    EXPECT_TRUE(Untouched());
}

TEST_F(StampFile, MissingOrEmptyFile) {
    EXPECT_EQ(Read(), 0);
    EXPECT_TRUE(Untouched());
    Write("");
    EXPECT_EQ(Read(), 0);
    EXPECT_TRUE(Untouched());
    ASSERT_TRUE(CreateDirectoryA((dir_ + "\\SUB").c_str(), NULL));
    EXPECT_EQ(ReadVersionStamp((dir_ + "\\SUB").c_str(), block_), 0);
    EXPECT_TRUE(Untouched());
}

TEST_F(StampFile, PrecededByPartOfTheSignature) {
    std::string block = Block(1, 'K', '2');
    Write(Filler(100) + "zEl" + block + Filler(300));
    ASSERT_EQ(Read(), 1);
    EXPECT_EQ(Got(), block);
}

TEST_F(StampFile, FirstOfTwoStampsCounts) {
    std::string first = Block(1, 'A', 'A'), second = Block(2, 'B', 'B');
    Write(Filler(70000) + first + Filler(10) + second);
    ASSERT_EQ(Read(), 1);
    EXPECT_EQ(Got(), first);
}

// Where the block starts, around the first chunk boundary and the end of the file.
TEST_F(StampFile, OffsetsAroundTheChunkBoundary) {
    const int chunk = kStampChunk;
    const int starts[] = {0,
                          1,
                          chunk - kStampSize - 1,
                          chunk - kStampSize,
                          chunk - 80,
                          chunk - 40,
                          chunk - 7,
                          chunk - 6,
                          chunk - 5,
                          chunk - 3,
                          chunk - 1,
                          chunk,
                          chunk + 1,
                          2 * chunk - 3,
                          3 * chunk + 17};
    std::string block = Block(1, 'B', 'D');
    for (int start : starts) {
        SCOPED_TRACE(start);
        Write(Filler(start) + block + Filler(70000));
        memset(block_, 0xcc, sizeof block_);
        ASSERT_EQ(Read(), 1);
        EXPECT_EQ(Got(), block);
    }
}

TEST_F(StampFile, FileOfExactlyOneChunkThenTheBlock) {
    // The first chunk is full and holds nothing; the block is all of the second read.
    std::string block = Block(3, '0', '1');
    Write(Filler(kStampChunk) + block);
    ASSERT_EQ(Read(), 1);
    EXPECT_EQ(Got(), block);
}

TEST_F(StampFile, BlockCutByTheEndOfTheFileReadsZeros) {
    std::string block = Block(1, 'K', '2');
    const int kept[] = {80, 40, 28, 10, 6};
    for (int keep : kept) {
        for (int lead : {100, kStampChunk - 20}) {
            SCOPED_TRACE(testing::Message() << keep << " bytes kept after " << lead);
            Write(Filler(lead) + block.substr(0, keep));
            memset(block_, 0xcc, sizeof block_);
            ASSERT_EQ(Read(), 1);
            EXPECT_EQ(Got(), block.substr(0, keep) + std::string(kStampSize - keep, '\0'));
        }
    }
}

TEST_F(StampFile, SignatureCutByTheEndOfTheFileIsNotFound) {
    Write(Filler(500) + Signature().substr(0, 5));
    EXPECT_EQ(Read(), 0);
    EXPECT_TRUE(Untouched());
}

std::vector<size_t> requested;
size_t largestGranted;

void* SmallHeap(size_t size) {
    requested.push_back(size);
    return size <= largestGranted ? HeapAlloc(GetProcessHeap(), 0, size) : NULL;
}

TEST_F(StampFile, ShrinkingWorkBufferStillFindsAStraddlingStamp) {
    requested.clear();
    largestGranted = 950;
    stampBufferAlloc = SmallHeap;
    // 65000 - 641 * 100 = 900: the first size granted; the stamp straddles 2 * 900.
    std::string block = Block(1, 'B', 'D');
    Write(Filler(1800 - 4) + block + Filler(2000));
    ASSERT_EQ(Read(), 1);
    EXPECT_EQ(Got(), block);
    ASSERT_EQ(requested.size(), 642u);
    EXPECT_EQ(requested.front(), 65000u);
    EXPECT_EQ(requested[1], 64900u);
    EXPECT_EQ(requested.back(), 900u);
}

TEST_F(StampFile, NoWorkBufferAtAll) {
    requested.clear();
    largestGranted = 99;
    stampBufferAlloc = SmallHeap;
    Write(Block(1, 'B', 'D'));
    EXPECT_EQ(Read(), 0);
    EXPECT_TRUE(Untouched());
    ASSERT_EQ(requested.size(), 650u);
    EXPECT_EQ(requested.back(), 100u); // never 81 or less
}

TEST_F(StampFile, SmallestWorkBufferReadsTheBlockAgain) {
    largestGranted = 100;
    stampBufferAlloc = SmallHeap;
    std::string block = Block(2, 'X', 'Y');
    Write(Filler(150) + block + Filler(500)); // in the buffer at 50..131: past its end
    ASSERT_EQ(Read(), 1);
    EXPECT_EQ(Got(), block);
}

// Figure, not a limit: how fast a stamp at the end of a large file is found.
TEST_F(StampFile, LargeFileScanRate) {
    const size_t size = 16 * 1024 * 1024;
    std::string block = Block(1, 'B', 'D');
    Write(Filler(size) + block);
    DWORD started = GetTickCount();
    ASSERT_EQ(Read(), 1);
    DWORD elapsed = GetTickCount() - started;
    EXPECT_EQ(Got(), block);
    printf("scanned %u MB to a stamp at the end in %lu ms\n", (unsigned)(size >> 20), elapsed);
}

std::string ModuleDirectory() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, path, sizeof path);
    std::string module(path, length);
    return module.substr(0, module.find_last_of('\\'));
}

int CountSignatures(const std::string& data) {
    int count = 0;
    for (size_t at = data.find(Signature()); at != std::string::npos; at = data.find(Signature(), at + 1))
        ++count;
    return count;
}

TEST(OwnStamp, TheProgramsOwnBlockIsFoundInItsFile) {
    char path[MAX_PATH];
    ASSERT_LT(GetModuleFileNameA(NULL, path, sizeof path), (DWORD)sizeof path);
    unsigned char block[kStampSize];
    ASSERT_EQ(ReadVersionStamp(path, block), 1);
    EXPECT_EQ(memcmp(block, ownVersionStamp, kStampSize), 0);
    char text[kVersionTextSize];
    VersionStampText(block, text);
    EXPECT_STREQ(text, "1.BD");
    EXPECT_EQ(CountSignatures(ReadWholeFile(path)), 1);
}

TEST(OwnStamp, SetupExecutableCarriesVersion1BD) {
    std::string setup = ModuleDirectory() + "\\..\\SETUP.EXE";
    if (GetFileAttributesA(setup.c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "no SETUP.EXE beside the tests folder: " << setup;
    char text[kVersionTextSize];
    ASSERT_EQ(ReadVersionText(setup.c_str(), text), 1);
    EXPECT_STREQ(text, "1.BD");
    EXPECT_EQ(CountSignatures(ReadWholeFile(setup)), 1);
}

TEST(VersionText, Formats) {
    struct {
        unsigned char major;
        char minor1, minor2;
        const char* expected;
    } cases[] = {{1, 'B', 'D', "1.BD"}, {10, '0', '5', "10.05"}, {255, 'z', 'z', "255.zz"},
                 {0, '0', '0', "0.00"}, {1, 'k', '2', "1.k2"},   {2, 'K', '2', "2.K2"}};
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        std::string block = Block(cases[i].major, cases[i].minor1, cases[i].minor2);
        char text[kVersionTextSize + 4];
        memset(text, 0xcc, sizeof text);
        VersionStampText((const unsigned char*)block.data(), text);
        EXPECT_STREQ(text, cases[i].expected);
        for (size_t b = kVersionTextSize; b < sizeof text; ++b)
            EXPECT_EQ((unsigned char)text[b], 0xcc);
    }
}

TEST_F(StampFile, ReadVersionTextOfAStampAndOfNone) {
    char text[kVersionTextSize];
    memset(text, 0xcc, sizeof text);
    EXPECT_EQ(ReadVersionText(path_.c_str(), text), 0);
    EXPECT_STREQ(text, "");
    Write(Filler(10) + Block(10, '0', '5'));
    EXPECT_EQ(ReadVersionText(path_.c_str(), text), 1);
    EXPECT_STREQ(text, "10.05");
    Write(Filler(1000));
    memset(text, 0xcc, sizeof text);
    EXPECT_EQ(ReadVersionText(path_.c_str(), text), 0);
    EXPECT_STREQ(text, "");
}

int Sign(int n) {
    return (n > 0) - (n < 0);
}

TEST(VersionCompare, AsCaseFoldedText) {
    struct {
        const char* a;
        const char* b;
        int sign;
    } cases[] = {
        {"1.k2", "1.K2", 0},  {"1.99", "1.K2", -1}, {"2.00", "10.00", 1},   {"1.J9", "1.K2", -1},
        {"1.K5", "1.M0", -1}, {"1.K", "1.K2", -1},  {"", "0.00", -1},       {"", "", 0},
        {"1.BD", "1.bd", 0},  {"1.[", "1.a", -1},   {"255.zz", "3.00", -1},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(Sign(CompareVersions(cases[i].a, cases[i].b)), cases[i].sign);
        EXPECT_EQ(Sign(CompareVersions(cases[i].b, cases[i].a)), -cases[i].sign);
    }
}

} // namespace
