// The gauge's shares in cases checked by hand (fuzz_gauge.cpp: never negative, adding up to the width).
#include "install/gauge.h"

#include <gtest/gtest.h>

#include <vector>

TEST(GaugeShares, NamedCases) {
    const struct {
        int width;
        unsigned required;
        std::vector<int> sizes, shares;
    } cases[] = {
        // 3 pixels and 10,000 bytes a percent: 150, 90, 60; the 2 left go to the third at 60 and 61
        {302, 1000000, {500000, 300000, 200000}, {150, 90, 62}},
        {302, 1000000, {995000, 1000, 4000}, {297, 3, 2}},  // under one percent: left-over pixels only
        {100, 199, {99, 100}, {99, 1}},                     // over the width: the first largest gives back
        {100, 1000, {2000, 1500, 500}, {0, 50, 50}},        // far over: the next largest gives the rest
        {100, 1000, {1000, 1000, 1000, 10}, {0, 0, 99, 1}}, // far over: three largest give back in turn
        {302, 99, {50, 30, 19}, {101, 101, 100}},           // under 100 bytes: every file alike
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        std::vector<int> shares(cases[i].sizes.size(), -1);
        ComputeGaugeShares(cases[i].width, cases[i].required, cases[i].sizes.data(), (int)shares.size(),
                           shares.data());
        EXPECT_EQ(shares, cases[i].shares);
    }
    int untouched = -7; // an empty table: nothing to share, nothing written
    ComputeGaugeShares(302, 1000000, nullptr, 0, &untouched);
    EXPECT_EQ(untouched, -7);
}
