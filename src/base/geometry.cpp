#include "base/geometry.h"

int BackgroundBandHeight(int clientBottom) {
    return clientBottom / 64 + 1;
}

void GaugeTickPositions(int clientWidth, int margin, int ticks[5]) {
    for (int i = 0; i < 5; ++i)
        ticks[i] = margin + (i * (clientWidth - 2 * margin)) / 4;
    ticks[4] -= 1; // onto the frame's right-hand column
}

int CenteredStart(int low, int high, int referenceLow, int referenceHigh) {
    return (low - high) / 2 + (referenceLow + referenceHigh) / 2;
}
