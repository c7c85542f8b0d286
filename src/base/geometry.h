// The arithmetic of the program's drawing: the background bands, the gauge's
// ticks and the centring of a dialog. Pure: no <windows.h>.
#pragma once

// Height of one of the 65 background bands for a client area whose bottom
// edge is clientBottom.
int BackgroundBandHeight(int clientBottom);

// Positions of the five gauge ticks for a client width and margin; the last
// one on the frame's right-hand column.
void GaugeTickPositions(int clientWidth, int margin, int ticks[5]);

// Where a dialog spanning [low, high) on one axis starts so that it stands
// centred over a reference spanning [referenceLow, referenceHigh): each half
// rounded toward zero.
int CenteredStart(int low, int high, int referenceLow, int referenceHigh);
