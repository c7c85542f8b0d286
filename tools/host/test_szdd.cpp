// The SZDD compressor and the reference expander of mkdist. The expanded
// output is also compared with Debian's msexpand and with Wine's LZ32 by
// tests/blackbox/test_mkdist.sh; these tests pin the format itself.
#include "szdd.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

std::vector<uint8_t> Bytes(const std::string& s) {
    return std::vector<uint8_t>(s.begin(), s.end());
}

std::vector<uint8_t> RandomBytes(size_t size, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<uint8_t> v(size);
    for (auto& b : v)
        b = static_cast<uint8_t>(rng());
    return v;
}

std::vector<uint8_t> Text(size_t size) {
    static const char* words[] = {"disk ", "array ", "Vantorix ", "setup ", "the ", "of ", "\r\n", "ZEL "};
    std::mt19937 rng(7);
    std::string s;
    while (s.size() < size)
        s += words[rng() % 8];
    s.resize(size);
    return Bytes(s);
}

std::vector<uint8_t> Compress(const std::vector<uint8_t>& v, char last = 'X') {
    return szdd::Compress(v.data(), v.size(), last);
}

TEST(SzddHeader, MagicModeLastCharacterAndSize) {
    struct Case {
        size_t size;
        char last;
    } cases[] = {{0, 'L'}, {1, 'E'}, {255, 0}, {256, 'x'}, {70000, '_'}, {0x01020304 & 0xFFFFF, 'T'}};
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        std::vector<uint8_t> data(cases[i].size, 'q');
        std::vector<uint8_t> image = Compress(data, cases[i].last);
        ASSERT_GE(image.size(), szdd::kHeaderSize);
        const uint8_t magic[8] = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33};
        EXPECT_EQ(0, memcmp(image.data(), magic, 8));
        EXPECT_EQ('A', image[8]);
        EXPECT_EQ(static_cast<uint8_t>(cases[i].last), image[9]);
        uint32_t size = image[10] | (image[11] << 8) | (image[12] << 16) | (uint32_t{image[13]} << 24);
        EXPECT_EQ(cases[i].size, size);
    }
}

TEST(SzddBody, EmptyFileIsHeaderOnly) {
    EXPECT_EQ(szdd::kHeaderSize, Compress({}).size());
}

// Worked by hand from the format: three literals (flag bits 1,1,1), then a
// reference to ring slot 4080, where the first byte was written, of length
// 6: b0 = 0xF0, b1 = (0xF00 >> 4) | (6 - 3) = 0xF3.
TEST(SzddBody, RepeatRefersToTheFirstWrittenSlot) {
    std::vector<uint8_t> image = Compress(Bytes("ABCABCABC"));
    std::vector<uint8_t> body(image.begin() + szdd::kHeaderSize, image.end());
    EXPECT_EQ((std::vector<uint8_t>{0x07, 'A', 'B', 'C', 0xF0, 0xF3}), body);
}

// Blanks at the start match the blanks the ring is filled with, so a file
// of blanks needs references only.
TEST(SzddBody, LeadingBlanksComeFromThePrefilledRing) {
    std::vector<uint8_t> image = Compress(std::vector<uint8_t>(18, ' '));
    std::vector<uint8_t> body(image.begin() + szdd::kHeaderSize, image.end());
    ASSERT_EQ(3u, body.size());
    EXPECT_EQ(0x00, body[0] & 1) << "first item is a reference, not a literal";
    EXPECT_EQ(0x0F, body[2] & 0x0F) << "of the longest length, 18";
}

TEST(SzddExpand, HandMadeImages) {
    struct Case {
        const char* what;
        std::vector<uint8_t> body;
        uint32_t size;
        std::string expected;
    } cases[] = {
        {"literals", {0xFF, 'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 0x01, 'i'}, 9, "abcdefghi"},
        {"reference into the blank ring", {0x02, 0x00, 0x02, 'x'}, 6, "     x"},
        {"overlapping run", {0x01, 'z', 0xF0, 0xF4}, 8, "zzzzzzzz"},
        {"size ends inside a reference", {0x01, 'k', 0xF0, 0xFF}, 4, "kkkk"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> image = Compress({});
        image[10] = c.size & 0xFF;
        image[11] = (c.size >> 8) & 0xFF;
        image.insert(image.end(), c.body.begin(), c.body.end());
        std::vector<uint8_t> out(3, 0xCC);
        ASSERT_TRUE(szdd::Expand(image, &out));
        EXPECT_EQ(c.expected, std::string(out.begin(), out.end()));
    }
}

TEST(SzddExpand, RefusesBadImages) {
    std::vector<uint8_t> good = Compress(Bytes("hello, hello, hello"));
    struct Case {
        const char* what;
        std::vector<uint8_t> image;
    } cases[] = {
        {"too short", std::vector<uint8_t>(good.begin(), good.begin() + 13)},
        {"wrong magic", good},
        {"wrong mode", good},
        {"body cut short", std::vector<uint8_t>(good.begin(), good.end() - 2)},
    };
    cases[1].image[3] = 'Q';
    cases[2].image[8] = 'B';
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> out;
        EXPECT_FALSE(szdd::Expand(c.image, &out));
    }
}

TEST(SzddRoundTrip, ExpandsToTheInput) {
    std::vector<uint8_t> period4095 = RandomBytes(4095, 3);
    std::vector<uint8_t> period4096 = RandomBytes(4096, 4);
    std::vector<uint8_t> period4097 = RandomBytes(4097, 5);
    for (auto* p : {&period4095, &period4096, &period4097}) {
        std::vector<uint8_t> twice = *p;
        twice.insert(twice.end(), p->begin(), p->end());
        *p = twice;
    }
    struct Case {
        const char* what;
        std::vector<uint8_t> data;
    } cases[] = {
        {"empty", {}},
        {"one byte", Bytes("x")},
        {"two bytes", Bytes("xy")},
        {"zeros over 64 KB", std::vector<uint8_t>(70000, 0)},
        {"blanks", std::vector<uint8_t>(9000, ' ')},
        {"random over 64 KB", RandomBytes(70001, 1)},
        {"text", Text(100000)},
        {"repeat at distance 4095", period4095},
        {"repeat at distance 4096", period4096},
        {"repeat at distance 4097", period4097},
        {"blank then data", Bytes("                 ZEL  ZEL   ZEL    ZEL")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> out(5, 0xCC);
        ASSERT_TRUE(szdd::Expand(Compress(c.data), &out));
        EXPECT_TRUE(out == c.data);
    }
}

TEST(SzddRoundTrip, CompressesWhatRepeats) {
    std::vector<uint8_t> text = Text(100000);
    EXPECT_LT(Compress(text).size(), text.size() / 3);
    std::vector<uint8_t> zeros(70000, 0);
    EXPECT_LT(Compress(zeros).size(), zeros.size() / 8);
    // Random bytes cannot shrink; each takes one flag bit more.
    std::vector<uint8_t> noise = RandomBytes(80000, 9);
    EXPECT_LE(Compress(noise).size(), szdd::kHeaderSize + noise.size() * 9 / 8 + 1);
}

TEST(SzddName, CompressedNames) {
    struct Case {
        const char* name;
        const char* compressed;
    } cases[] = {
        {"MSVCRT.DLL", "MSVCRT.DL_"},
        {"VANTRX32.EXE", "VANTRX32.EX_"},
        {"READ.ME", "READ.ME_"},
        {"A.B", "A.B_"},
        {"NOEXT", "NOEXT._"},
        {"a.long", "a.lon_"},
        {"dir.x\\FILE", "dir.x\\FILE._"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.compressed, szdd::CompressedName(c.name));
    }
}

TEST(SzddName, HeaderCharacterRestoresTheName) {
    struct Case {
        const char* name;
        char header;
    } cases[] = {
        {"MSVCRT.DLL", 'L'}, {"vantrx.386", '6'}, {"READ.ME", 0}, {"A.B", 0}, {"NOEXT", 0}, {"x.long", 'g'},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.header, szdd::HeaderChar(c.name));
    }
}

} // namespace
