#include "install/gauge.h"

// Index of the first file with the largest share; a later one wins only when strictly larger.
static int FirstLargestShare(const int* shares, int count) {
    int largest = 0;
    for (int i = 1; i < count; ++i)
        if (shares[i] > shares[largest])
            largest = i;
    return largest;
}

// The whole percents of each file, unit pixels per percent. The product is
// taken in 64 bits: a size can be larger than the required space when the
// script disagrees with itself, and it must not wrap. Returns the sum.
static long long WholePercentShares(int innerWidth, unsigned int requiredSpace, const int* sizes, int count,
                                    int* shares) {
    unsigned unit = (unsigned)innerWidth / 100;
    unsigned bytesPerPercent = requiredSpace / 100;
    long long sum = 0;
    for (int i = 0; i < count; ++i) {
        long long share = 0;
        if (bytesPerPercent > 0 && sizes[i] > 0)
            share = (long long)((unsigned)sizes[i] / bytesPerPercent) * unit;
        if (share > innerWidth)
            share = innerWidth;
        shares[i] = (int)share;
        sum += share;
    }
    return sum;
}

// Takes the excess back from the first largest share. When that share alone
// cannot give it all (sizes that add up to far more than the required space),
// it goes down to 0 and the next largest gives the rest: no share is negative.
static void TakeBackExcess(long long excess, int* shares, int count) {
    while (excess > 0) {
        int largest = FirstLargestShare(shares, count);
        long long taken = excess < shares[largest] ? excess : shares[largest];
        shares[largest] -= (int)taken;
        excess -= taken;
    }
}

// Hands out the remaining pixels one at a time, level by level: first to the
// files at 0 pixels in table order, then to those at 1, and so on.
static void HandOutRest(long long rest, int* shares, int count) {
    for (int level = 0; rest > 0; ++level) {
        for (int i = 0; i < count && rest > 0; ++i) {
            if (shares[i] == level) {
                shares[i] += 1;
                rest -= 1;
            }
        }
    }
}

void ComputeGaugeShares(int innerWidth, unsigned int requiredSpace, const int* sizes, int count,
                        int* shares) {
    if (count <= 0)
        return;
    if (innerWidth < 0)
        innerWidth = 0;
    long long sum = WholePercentShares(innerWidth, requiredSpace, sizes, count, shares);
    if (sum > innerWidth)
        TakeBackExcess(sum - innerWidth, shares, count);
    else
        HandOutRest(innerWidth - sum, shares, count);
}
