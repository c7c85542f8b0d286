// How the gauge's inner width is split over the files by their sizes.
#include "install/gauge.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace {

std::vector<int> Shares(int width, unsigned int required, const std::vector<int>& sizes) {
    std::vector<int> shares(sizes.size(), -12345);
    ComputeGaugeShares(width, required, sizes.data(), (int)sizes.size(), shares.data());
    return shares;
}

unsigned int Sum(const std::vector<int>& sizes) {
    unsigned int total = 0;
    for (int s : sizes)
        total += (unsigned int)s;
    return total;
}

struct ShareCase {
    int width;
    unsigned int required;
    std::vector<int> sizes;
    std::vector<int> expected;
};

TEST(GaugeShares, Table) {
    const ShareCase cases[] = {
        // unit 3, 10,000 bytes per percent: 150, 90, 60; the 2 left over go to the
        // smallest at level 60, then again at level 61.
        {302, 1000000, {500000, 300000, 200000}, {150, 90, 62}},
        // one file takes the whole inner width
        {302, 1000000, {1000000}, {302}},
        {57, 4096, {4096}, {57}},
        // under one percent: only hand-out pixels (level 0 first, in table order)
        {302, 1000000, {995000, 1000, 4000}, {297, 3, 2}},
        {301, 1000000, {995000, 1000, 4000}, {297, 2, 2}},
        {302, 1000000, {5000, 990000, 5000}, {3, 297, 2}},
        // a width under 100 has no pixel per percent: everything is hand-out, evenly
        {50, 1000000, {500000, 300000, 200000}, {17, 17, 16}},
        // 7 leftover pixels over three equal files: 3, 2, 2 above the whole percents
        {304, 300000, {100000, 100000, 100000}, {102, 101, 101}},
        // S > W: the first of the largest gives the excess back (99 + 99 percents, unit 1)
        {100, 199, {99, 100}, {99, 1}},
        {100, 199, {100, 99}, {1, 99}},
        // ... and when one share cannot give it all, the next largest gives the rest
        {100, 199, {67, 66, 66}, {0, 34, 66}},
        // sizes that disagree with the required space, far larger: never negative
        {302, 1000000, {2000000000, 2000000000}, {0, 302}},
        // under 100 bytes required: no bytes per percent, every file counts the same
        {302, 99, {50, 30, 19}, {101, 101, 100}},
        {302, 0, {0, 0}, {151, 151}},
        {10, 3, {1, 1, 1}, {4, 3, 3}},
        // negative sizes count as nothing
        {302, 1000000, {-5, 1000000}, {2, 300}},
        // no width at all (the page has not been painted)
        {0, 1000000, {500000, 500000}, {0, 0}},
        {-2, 1000000, {500000, 500000}, {0, 0}},
    };
    int i = 0;
    for (const ShareCase& c : cases) {
        SCOPED_TRACE(i++);
        std::vector<int> shares = Shares(c.width, c.required, c.sizes);
        EXPECT_EQ(shares, c.expected);
        EXPECT_EQ(std::accumulate(shares.begin(), shares.end(), 0), c.width < 0 ? 0 : c.width);
    }
}

TEST(GaugeShares, EmptyTableWritesNothing) {
    int shares[2] = {-7, -7};
    ComputeGaugeShares(302, 1000000, nullptr, 0, shares);
    EXPECT_EQ(shares[0], -7);
    ComputeGaugeShares(302, 0, nullptr, 0, shares);
    EXPECT_EQ(shares[1], -7);
}

// The total is always the width, for many widths and a mix of sizes, and no
// share is negative.
TEST(GaugeShares, SumsToWidth) {
    std::vector<int> sizes;
    for (int i = 0; i < 26; ++i)
        sizes.push_back(i % 5 == 0 ? 400000 : 1000 + 37 * i);
    const unsigned int required = Sum(sizes);
    for (int width = 0; width <= 900; width += 7) {
        SCOPED_TRACE(width);
        std::vector<int> shares = Shares(width, required, sizes);
        EXPECT_EQ(std::accumulate(shares.begin(), shares.end(), 0), width);
        for (int s : shares)
            EXPECT_GE(s, 0);
    }
}

// Under 100 bytes required, every file gets a share as long as there are
// pixels enough, and the shares differ by one pixel at most.
TEST(GaugeShares, TinyRequiredSpaceEveryFileAShare) {
    for (int count = 1; count <= 26; ++count) {
        std::vector<int> sizes(count, 3);
        for (int width = count; width <= 400; width += 13) {
            SCOPED_TRACE(testing::Message() << count << " files, width " << width);
            std::vector<int> shares = Shares(width, Sum(sizes), sizes);
            EXPECT_EQ(std::accumulate(shares.begin(), shares.end(), 0), width);
            for (int s : shares) {
                EXPECT_GE(s, width / count);
                EXPECT_LE(s, width / count + 1);
            }
        }
    }
}

// A larger file never gets fewer pixels than a smaller one before it in the table.
TEST(GaugeShares, LargerFilesLongerStretches) {
    const std::vector<int> sizes = {10000, 20000, 30000, 40000, 900000};
    std::vector<int> shares = Shares(302, Sum(sizes), sizes);
    for (size_t i = 1; i < shares.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_LE(shares[i - 1], shares[i]);
    }
}

} // namespace
