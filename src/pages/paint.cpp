#include "pages/paint.h"

#include "base/geometry.h"
#include "base/state.h"
#include "base/text.h"

static const char* const kPercentLabels[5] = {"0%", "25%", "50%", "75%", "100%"};

// SetCtlColors hands out one brush per colour instead of a new brush per
// message; it is replaced when the system colours change.
static HBRUSH ctlBrush;
static COLORREF ctlBrushColor;

void PaintBackground(HWND window, HDC dc) {
    RECT client;
    GetClientRect(window, &client);
    int bandHeight = BackgroundBandHeight(client.bottom);
    for (int i = 0; i < kBackgroundBands; ++i) {
        HBRUSH brush = CreateSolidBrush(RGB(0, 0, 255 - 3 * i));
        RECT band = {0, client.top + i * bandHeight, client.right, client.top + (i + 1) * bandHeight};
        FillRect(dc, &band, brush);
        DeleteObject(brush);
    }
}

void PaintGauge(HDC dc, HWND window) {
    SetBkColor(dc, GetSysColor(g.bkColorIndex));
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    TEXTMETRICA metrics;
    GetTextMetricsA(dc, &metrics);
    int lineHeight = metrics.tmHeight + metrics.tmExternalLeading;
    int charWidth = metrics.tmAveCharWidth;
    RECT client;
    GetClientRect(window, &client);
    int width = client.right - client.left, height = client.bottom - client.top;
    int margin = 4 * charWidth;
    g.gaugeLeft = margin;
    g.gaugeRight = width - margin;
    g.gaugeBottom = height - 2 * lineHeight;
    g.gaugeTop = height - 3 * lineHeight;

    int ticks[5];
    GaugeTickPositions(width, margin, ticks);
    HRGN frame = CreateRectRgn(g.gaugeLeft, g.gaugeTop, g.gaugeRight, g.gaugeBottom);
    FrameRgn(dc, frame, (HBRUSH)GetStockObject(BLACK_BRUSH), 1, 1);
    DeleteObject(frame);
    for (int i = 0; i < 5; ++i) {
        MoveToEx(dc, ticks[i], g.gaugeTop, NULL);
        LineTo(dc, ticks[i], g.gaugeTop - 5);
        int length = (int)TextLength(kPercentLabels[i]);
        TextOutA(dc, ticks[i] - (length / 2) * charWidth, g.gaugeTop - lineHeight - 5, kPercentLabels[i],
                 length);
    }
}

HBRUSH SetCtlColors(HDC dc) {
    COLORREF background = GetSysColor(g.bkColorIndex);
    SetBkColor(dc, background);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    if (!ctlBrush || ctlBrushColor != background) {
        if (ctlBrush)
            DeleteObject(ctlBrush);
        ctlBrush = CreateSolidBrush(background);
        ctlBrushColor = background;
    }
    return ctlBrush;
}

int IsCtlColorMessage(UINT message) {
    return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC;
}

INT_PTR AnswerCtlColor(WPARAM wParam) {
    return (INT_PTR)SetCtlColors((HDC)wParam);
}

void ReleaseCtlBrushes() {
    if (ctlBrush) {
        DeleteObject(ctlBrush);
        ctlBrush = NULL;
    }
}
