// The distribution builder's compressor against the platform's own LZ
// expansion library: files compressed by mkdist's SZDD writer must come out
// of Wine's LZ32 (LZOpenFileA + LZCopy / CopyLZFile, GetExpandedNameA)
// byte for byte as they went in, with their names restored.
#include "../../tools/mkdist/szdd.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <lzexpand.h>

#include <random>
#include <string>
#include <vector>

// The compressor itself is a portable source file of tools/mkdist; it is
// compiled into this program so that the LZ32 of the platform reads what it
// writes.
#include "../../tools/mkdist/szdd.cpp"

namespace {

class SzddWithLz32 : public ::testing::Test {
  protected:
    void SetUp() override {
        char temp[MAX_PATH];
        ASSERT_NE(0u, GetTempPathA(sizeof temp, temp));
        dir_ = std::string(temp) + "zel_szdd_" + std::to_string(GetCurrentProcessId());
        ASSERT_TRUE(CreateDirectoryA(dir_.c_str(), NULL)) << dir_;
    }
    void TearDown() override {
        for (const std::string& f : files_)
            DeleteFileA(f.c_str());
        EXPECT_TRUE(RemoveDirectoryA(dir_.c_str())) << "every file of the test was removed";
    }

    std::string Write(const std::string& name, const std::vector<uint8_t>& data) {
        std::string path = dir_ + "\\" + name;
        files_.push_back(path);
        HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
        EXPECT_NE(INVALID_HANDLE_VALUE, h);
        DWORD written = 0;
        if (!data.empty()) {
            EXPECT_TRUE(WriteFile(h, data.data(), (DWORD)data.size(), &written, NULL));
        }
        CloseHandle(h);
        return path;
    }

    std::vector<uint8_t> Read(const std::string& path) {
        std::vector<uint8_t> data;
        HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
        EXPECT_NE(INVALID_HANDLE_VALUE, h) << path;
        if (h == INVALID_HANDLE_VALUE)
            return data;
        data.resize(GetFileSize(h, NULL));
        DWORD got = 0;
        if (!data.empty()) {
            EXPECT_TRUE(ReadFile(h, data.data(), (DWORD)data.size(), &got, NULL));
        }
        CloseHandle(h);
        return data;
    }

    // Expands source to target through LZ32, inside an LZStart run or not.
    LONG Expand(const std::string& source, const std::string& target, bool inRun) {
        files_.push_back(target);
        OFSTRUCT of1, of2;
        INT src = LZOpenFileA(const_cast<char*>(source.c_str()), &of1, OF_READ);
        INT dst = LZOpenFileA(const_cast<char*>(target.c_str()), &of2, OF_CREATE);
        EXPECT_GE(src, 0);
        EXPECT_GE(dst, 0);
        LONG result;
        if (inRun) {
            LZStart();
            result = CopyLZFile(src, dst);
            LZDone();
        } else {
            result = LZCopy(src, dst);
        }
        LZClose(src);
        LZClose(dst);
        return result;
    }

    std::string dir_;
    std::vector<std::string> files_;
};

std::vector<uint8_t> Random(size_t size, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<uint8_t> v(size);
    for (auto& b : v)
        b = static_cast<uint8_t>(rng());
    return v;
}

std::vector<uint8_t> Text(size_t size) {
    const std::string line = "ZEL Vantorix disk-array management, version 1.K2\r\n";
    std::string s;
    for (size_t i = 0; s.size() < size; ++i)
        s += line.substr(i % 7) + std::to_string(i) + " ";
    s.resize(size);
    return std::vector<uint8_t>(s.begin(), s.end());
}

TEST_F(SzddWithLz32, ExpandsByteIdentical) {
    std::vector<uint8_t> period = Random(4096, 11);
    period.insert(period.end(), period.begin(), period.end());
    struct Case {
        const char* what;
        std::vector<uint8_t> data;
    } cases[] = {
        {"empty", {}},
        {"one byte", {0x42}},
        {"random over 64 KB", Random(70001, 5)},
        {"text", Text(20000)},
        {"all zero over 64 KB", std::vector<uint8_t>(66000, 0)},
        {"blanks", std::vector<uint8_t>(5000, ' ')},
        {"repeat at the ring's reach", period},
    };
    int n = 0;
    for (const Case& c : cases) {
        for (bool inRun : {false, true}) {
            SCOPED_TRACE(std::string(c.what) + (inRun ? " (CopyLZFile)" : " (LZCopy)"));
            std::vector<uint8_t> image = szdd::Compress(c.data.data(), c.data.size(), 'T');
            std::string base = "F" + std::to_string(n++);
            std::string source = Write(base + ".DA_", image);
            LONG result = Expand(source, dir_ + "\\" + base + ".DAT", inRun);
            EXPECT_EQ((LONG)c.data.size(), result);
            EXPECT_TRUE(Read(dir_ + "\\" + base + ".DAT") == c.data);
        }
    }
}

TEST_F(SzddWithLz32, ExpandedNameGetsTheLastCharacterBack) {
    struct Case {
        const char* plain;
        const char* expected; // what GetExpandedNameA makes of the NAME.EX_ form
    } cases[] = {
        {"MSVCRT.DLL", "MSVCRT.DLL"},
        {"VANTRX32.EXE", "VANTRX32.EXE"},
        {"ZELSCSI.MPD", "ZELSCSI.MPD"},
        {"vantrx.386", "vantrx.386"},
        {"readme.txt", "readme.txt"},
        {"READ.ME", "READ.ME"},
        {"A.B", "A.B"},
        {"NOEXT", "NOEXT."}, // the trailing dot is dropped by every Win32 file call
    };
    std::vector<uint8_t> data = Text(300);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.plain);
        std::string plain = c.plain;
        std::vector<uint8_t> image = szdd::Compress(data.data(), data.size(), szdd::HeaderChar(plain));
        std::string source = Write(szdd::CompressedName(plain), image);
        char expanded[MAX_PATH];
        memset(expanded, 0xCC, sizeof expanded);
        ASSERT_EQ(1, GetExpandedNameA(const_cast<char*>(source.c_str()), expanded));
        EXPECT_EQ(dir_ + "\\" + c.expected, std::string(expanded));
    }
}

} // namespace
