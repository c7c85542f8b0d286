// mkdist's messages for what the setup program could not read, and its compression of what repeats;
// tests/fuzz (manifest, szdd) and the roads (copy.road: 27 files refused, nothing written) prove the rest.
#include "layout.h"
#include "szdd.h"

#include <gtest/gtest.h>

TEST(Mkdist, RefusalsSayWhy) {
    auto File = [](std::string n, uint64_t size = 1) {
        return dist::Entry{1, "", n, n, n, false, true, size, size};
    };
    const struct {
        std::string version;
        std::vector<dist::Entry> entries;
        std::string pathname, message;
    } cases[] = {
        {"1.K2", {File("MY FILE.EXE")}, "", "contains a blank or a comma"},
        {"1.K2", {File(std::string(128, 'N'))}, "", "longer than 127 characters"},
        {"1.K2", {File(std::string(61, 'e'), 10)}, "", "file entry \"1 eee"},
        {"1.K2", {File("A.EXE", 0x80000000u)}, "", "larger than 2147483647"},
        {"1.BDX", {File("A.EXE")}, "", "must be 1 to 4 characters"},
        {"1.K2", {File("A.EXE")}, std::string(128, 'p'), "Pathname is longer than 127"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        dist::Autorun autorun;
        autorun.pathname = c.pathname;
        std::string error;
        EXPECT_FALSE(dist::CheckDistribution(c.version, c.entries, autorun, &error));
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
    }
}

TEST(Mkdist, WhatRepeatsIsCompressed) {
    std::vector<uint8_t> zeros(66000, 0);
    EXPECT_LT(szdd::Compress(zeros.data(), zeros.size(), 'N').size(), 8000u);
}
