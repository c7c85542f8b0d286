// Background bands and the gauge, drawn on a memory device context and read back.
#include "app/paint.h"
#include "app/state.h"

#include <gtest/gtest.h>

namespace {

struct MemoryCanvas {
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ old;
    MemoryCanvas(int width, int height) {
        HDC screen = GetDC(NULL);
        dc = CreateCompatibleDC(screen);
        bitmap = CreateCompatibleBitmap(screen, width, height);
        ReleaseDC(NULL, screen);
        old = SelectObject(dc, bitmap);
    }
    ~MemoryCanvas() {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
};

// A plain window whose client area has the given size.
HWND MakeWindow(int width, int height) {
    RECT r = {0, 0, width, height};
    AdjustWindowRect(&r, WS_POPUP, FALSE);
    return CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, r.right - r.left, r.bottom - r.top, NULL, NULL,
                           GetModuleHandleA(NULL), NULL);
}

TEST(PaintBackground, SixtyFiveBandsDarkeningByThree) {
    const int width = 50, height = 640; // band height 11: 715 pixels, the last bands clipped
    HWND window = MakeWindow(width, height);
    ASSERT_NE(window, (HWND)NULL);
    MemoryCanvas canvas(width, height);
    PaintBackground(window, canvas.dc);
    int band = BackgroundBandHeight(height);
    ASSERT_EQ(band, 11);
    for (int i = 0; i * band < height; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(GetPixel(canvas.dc, 10, i * band), RGB(0, 0, 255 - 3 * i));
        EXPECT_EQ(
            GetPixel(canvas.dc, width - 1, i * band + band - 1 < height ? i * band + band - 1 : height - 1),
            RGB(0, 0, 255 - 3 * i));
    }
    DestroyWindow(window);
}

TEST(PaintBackground, BandHeights) {
    EXPECT_EQ(BackgroundBandHeight(0), 1);
    EXPECT_EQ(BackgroundBandHeight(63), 1); // under 64 pixels: 65 bands of one pixel
    EXPECT_EQ(BackgroundBandHeight(64), 2);
    EXPECT_EQ(BackgroundBandHeight(640), 11);
}

TEST(PaintGauge, TicksOfAFourHundredPixelPage) {
    int ticks[5];
    GaugeTickPositions(400, 24, ticks);
    const int expected[5] = {24, 112, 200, 288, 375};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(ticks[i], expected[i]) << i;
}

TEST(PaintGauge, FrameEdgesFollowTheFont) {
    const int width = 400, height = 200;
    HWND window = MakeWindow(width, height);
    MemoryCanvas canvas(width, height);
    TEXTMETRICA tm;
    GetTextMetricsA(canvas.dc, &tm);
    int line = tm.tmHeight + tm.tmExternalLeading, c = tm.tmAveCharWidth;
    RECT all = {0, 0, width, height};
    FillRect(canvas.dc, &all, (HBRUSH)GetStockObject(WHITE_BRUSH));
    PaintGauge(canvas.dc, window);
    EXPECT_EQ(g.gaugeLeft, 4 * c);
    EXPECT_EQ(g.gaugeRight, width - 4 * c);
    EXPECT_EQ(g.gaugeTop, height - 3 * line);
    EXPECT_EQ(g.gaugeBottom, height - 2 * line);
    // The frame is black and one pixel wide; its inside is left alone.
    int midY = (g.gaugeTop + g.gaugeBottom) / 2;
    EXPECT_EQ(GetPixel(canvas.dc, g.gaugeLeft, midY), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(canvas.dc, g.gaugeRight - 1, midY), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(canvas.dc, g.gaugeLeft + 1, midY), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(canvas.dc, g.gaugeRight, midY), RGB(255, 255, 255));
    // Ticks rise five pixels above the frame's top edge.
    EXPECT_EQ(GetPixel(canvas.dc, g.gaugeLeft, g.gaugeTop - 4), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(canvas.dc, g.gaugeLeft, g.gaugeTop - 5), RGB(255, 255, 255));
    DestroyWindow(window);
}

TEST(SetCtlColors, OneBrushPerColour) {
    HDC dc = CreateCompatibleDC(NULL);
    g.bkColorIndex = COLOR_WINDOW;
    HBRUSH first = SetCtlColors(dc);
    HBRUSH second = SetCtlColors(dc);
    EXPECT_EQ(first, second);
    EXPECT_EQ(GetBkColor(dc), GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(GetTextColor(dc), GetSysColor(COLOR_WINDOWTEXT));
    LOGBRUSH lb;
    ASSERT_EQ(GetObjectA(first, sizeof lb, &lb), (int)sizeof lb);
    EXPECT_EQ(lb.lbColor, GetSysColor(COLOR_WINDOW));
    g.bkColorIndex = COLOR_BTNFACE;
    HBRUSH face = SetCtlColors(dc);
    ASSERT_EQ(GetObjectA(face, sizeof lb, &lb), (int)sizeof lb);
    EXPECT_EQ(lb.lbColor, GetSysColor(COLOR_BTNFACE));
    g.bkColorIndex = COLOR_WINDOW;
    ReleaseCtlBrushes();
    DeleteDC(dc);
}

} // namespace

namespace {

TEST(SetCtlColors, AnswersExactlyTheSevenColourMessages) {
    for (UINT message = 300; message < 320; ++message) {
        SCOPED_TRACE(message);
        EXPECT_EQ(IsCtlColorMessage(message), message >= 306 && message <= 312 ? 1 : 0);
    }
    HDC dc = CreateCompatibleDC(NULL);
    EXPECT_EQ(AnswerCtlColor((WPARAM)dc), (INT_PTR)SetCtlColors(dc));
    ReleaseCtlBrushes();
    DeleteDC(dc);
}

} // namespace
