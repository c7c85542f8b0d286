// The arithmetic of the copy page's progress gauge: how many pixels of the
// gauge's inner width each file of the file table fills. Pure functions, no
// window or file access.
#pragma once

// Splits innerWidth pixels over count files by their byte sizes; shares gets
// one width per file and the widths add up to exactly innerWidth (0 when the
// width is not positive). requiredSpace is the sum of the sizes. A file of
// under one percent gets only the pixels left over after the whole percents.
// With under 100 bytes required (no whole percent to measure by) every file
// counts the same. Negative sizes count as 0. count 0 does nothing.
void ComputeGaugeShares(int innerWidth, unsigned int requiredSpace, const int* sizes, int count, int* shares);
