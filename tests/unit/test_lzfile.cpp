// Copies through Wine's own LZ32: expansion, plain copies, replaced targets,
// refused paths, handles released, and the full-disk result.
#include "install/lzfile.h"

#include "boxscript.h"
#include "lz_sample.h"

#include <gtest/gtest.h>
#include <lzexpand.h>

#include <stdlib.h>
#include <string>

namespace {

// Every byte value, long enough to cross the library's copy buffer several times.
std::string BinaryData(size_t length) {
    std::string data(length, '\0');
    for (size_t i = 0; i < length; ++i)
        data[i] = (char)((i * 7 + i / 256) & 0xFF);
    return data;
}

class LzFile : public testing::Test {
  protected:
    void SetUp() override {
        dir = MakeTempDir("lz");
    }
    void TearDown() override {
        RemoveTree(dir);
        EXPECT_EQ(GetFileAttributesA(dir.c_str()), INVALID_FILE_ATTRIBUTES);
    }
    std::string Path(const char* name) {
        return dir + "\\" + name;
    }
    // Both files can be deleted only when no handle to them is left open.
    void ExpectClosed(const std::string& source, const std::string& target) {
        EXPECT_TRUE(DeleteFileA(source.c_str())) << source << " still open? " << GetLastError();
        if (GetFileAttributesA(target.c_str()) != INVALID_FILE_ATTRIBUTES) {
            EXPECT_TRUE(DeleteFileA(target.c_str())) << target << " still open? " << GetLastError();
        }
    }
    std::string dir;
};

TEST_F(LzFile, CompressedSourceIsExpandedByteForByte) {
    ASSERT_TRUE(WriteWholeFile(Path("SAMPLE.TX_"), SampleSzdd()));
    LZStart();
    long written = CopyCompressedFile(Path("SAMPLE.TX_").c_str(), Path("SAMPLE.TXT").c_str());
    LZDone();
    EXPECT_EQ(written, (long)strlen(kSampleText));
    EXPECT_EQ(ReadWholeFile(Path("SAMPLE.TXT")), kSampleText);
    ExpectClosed(Path("SAMPLE.TX_"), Path("SAMPLE.TXT"));
}

TEST_F(LzFile, ExpandFileOutsideARun) {
    ASSERT_TRUE(WriteWholeFile(Path("SAMPLE.TX_"), SampleSzdd()));
    EXPECT_EQ(ExpandFile(Path("SAMPLE.TX_").c_str(), Path("OUT.TXT").c_str()), (long)strlen(kSampleText));
    EXPECT_EQ(ReadWholeFile(Path("OUT.TXT")), kSampleText);
    ExpectClosed(Path("SAMPLE.TX_"), Path("OUT.TXT"));
}

TEST_F(LzFile, PlainFilesAreCopiedUnchanged) {
    const std::string cases[] = {"", "x", "SZDD but not a header", BinaryData(65000), BinaryData(200003)};
    int i = 0;
    for (const std::string& data : cases) {
        SCOPED_TRACE(i++);
        ASSERT_TRUE(WriteWholeFile(Path("PLAIN.BIN"), data));
        LZStart();
        long written = CopyCompressedFile(Path("PLAIN.BIN").c_str(), Path("COPY.BIN").c_str());
        LZDone();
        EXPECT_EQ(written, (long)data.size());
        EXPECT_TRUE(ReadWholeFile(Path("COPY.BIN")) == data);
        ExpectClosed(Path("PLAIN.BIN"), Path("COPY.BIN"));
    }
}

TEST_F(LzFile, ExistingTargetIsReplaced) {
    ASSERT_TRUE(WriteWholeFile(Path("SAMPLE.TX_"), SampleSzdd()));
    ASSERT_TRUE(WriteWholeFile(Path("SAMPLE.TXT"), BinaryData(5000)));
    EXPECT_EQ(ExpandFile(Path("SAMPLE.TX_").c_str(), Path("SAMPLE.TXT").c_str()), (long)strlen(kSampleText));
    EXPECT_EQ(ReadWholeFile(Path("SAMPLE.TXT")), kSampleText);
}

// A missing source must not cost the target its old contents.
TEST_F(LzFile, MissingSourceLeavesTargetAlone) {
    ASSERT_TRUE(WriteWholeFile(Path("MSVCRT.DLL"), "the system's own library"));
    LZStart();
    EXPECT_EQ(CopyCompressedFile(Path("MSVCRT.DL_").c_str(), Path("MSVCRT.DLL").c_str()), kLzSourceMissing);
    LZDone();
    EXPECT_EQ(ReadWholeFile(Path("MSVCRT.DLL")), "the system's own library");
    EXPECT_EQ(ExpandFile(Path("NONE.BIN").c_str(), Path("NEW.BIN").c_str()), kLzSourceMissing);
    EXPECT_EQ(GetFileAttributesA(Path("NEW.BIN").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(LzFile, UncreatableTargetClosesTheSource) {
    ASSERT_TRUE(WriteWholeFile(Path("SAMPLE.TX_"), SampleSzdd()));
    LZStart();
    EXPECT_EQ(CopyCompressedFile(Path("SAMPLE.TX_").c_str(), Path("NO\\SUCH\\DIR\\SAMPLE.TXT").c_str()),
              kLzTargetFailed);
    LZDone();
    ExpectClosed(Path("SAMPLE.TX_"), Path("NO\\SUCH\\DIR\\SAMPLE.TXT"));
}

// The library has a small fixed number of expansion slots: a leaked handle
// would make later compressed sources fail to open.
TEST_F(LzFile, HandlesAreReleasedOverManyCopies) {
    ASSERT_TRUE(WriteWholeFile(Path("SAMPLE.TX_"), SampleSzdd()));
    LZStart();
    for (int i = 0; i < 40; ++i) {
        SCOPED_TRACE(i);
        ASSERT_EQ(CopyCompressedFile(Path("SAMPLE.TX_").c_str(), Path("SAMPLE.TXT").c_str()),
                  (long)strlen(kSampleText));
        ASSERT_EQ(CopyCompressedFile(Path("SAMPLE.TX_").c_str(), Path("NO\\DIR\\X").c_str()),
                  kLzTargetFailed);
    }
    LZDone();
}

TEST_F(LzFile, SameFileIsLeftAlone) {
    ASSERT_TRUE(WriteWholeFile(Path("VANTRX.386"), "driver"));
    std::string other = dir + "\\.\\vantrx.386";
    EXPECT_EQ(ExpandFile(Path("VANTRX.386").c_str(), other.c_str()), 0);
    EXPECT_EQ(ReadWholeFile(Path("VANTRX.386")), "driver");
}

// Paths that do not fit the library's 128-byte name record are refused whole,
// never cut into a shorter path.
TEST_F(LzFile, OverlongPathsAreRefused) {
    ASSERT_TRUE(WriteWholeFile(Path("SAMPLE.TX_"), SampleSzdd()));
    std::string longName = dir + "\\" + std::string(127, 'L');
    ASSERT_GT(longName.size(), 127u);
    std::string cut = longName.substr(0, 127);
    EXPECT_EQ(ExpandFile(longName.c_str(), Path("OUT").c_str()), kLzSourceMissing);
    EXPECT_EQ(ExpandFile(Path("SAMPLE.TX_").c_str(), longName.c_str()), kLzTargetFailed);
    EXPECT_EQ(GetFileAttributesA(cut.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesA(Path("OUT").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(LzFile, OutOfDiskSpaceMessage) {
    BoxScript boxes;
    boxes.Answer(IDOK);
    ShowOutOfDiskSpace(NULL);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Out of disk space");
    EXPECT_EQ(boxes.boxes[0].caption, "ERROR");
    EXPECT_EQ(boxes.boxes[0].icon, 0u);
    EXPECT_EQ(boxes.boxes[0].buttons, (UINT)MB_OK);
}

// A full target disk. Needs a drive that is really small: the black-box script
// test_lz_full_disk.sh maps one onto a 64 KB tmpfs and names it in
// ZEL_FULL_DRIVE, with a large compressed file made by mscompress in
// ZEL_BIG_SZDD. Elsewhere there is no full disk to write to.
TEST_F(LzFile, FullDiskGivesWriteErrorAndClosesBoth) {
    const char* drive = getenv("ZEL_FULL_DRIVE");
    const char* bigSzdd = getenv("ZEL_BIG_SZDD");
    if (!drive || !bigSzdd)
        GTEST_SKIP() << "no small drive mapped (run through tests/blackbox/test_lz_full_disk.sh)";
    std::string compressed = Path("BIG.BI_"), plain = Path("PLAIN.BIN");
    ASSERT_TRUE(CopyFileA(bigSzdd, compressed.c_str(), FALSE));
    ASSERT_TRUE(WriteWholeFile(plain, BinaryData(300000)));
    const std::string sources[] = {compressed, plain};
    std::string target = std::string(drive) + "\\FULL.BIN";
    for (int round = 0; round < 20; ++round) {
        for (const std::string& source : sources) {
            SCOPED_TRACE(testing::Message() << "round " << round << " " << source);
            LZStart();
            EXPECT_EQ(CopyCompressedFile(source.c_str(), target.c_str()), kLzWriteFailed);
            LZDone();
            EXPECT_EQ(ExpandFile(source.c_str(), target.c_str()), kLzWriteFailed);
            // Both closed: the target can be deleted, the source renamed.
            EXPECT_TRUE(DeleteFileA(target.c_str())) << GetLastError();
            std::string moved = source + ".moved";
            ASSERT_TRUE(MoveFileA(source.c_str(), moved.c_str())) << GetLastError();
            ASSERT_TRUE(MoveFileA(moved.c_str(), source.c_str())) << GetLastError();
        }
    }
}

} // namespace
