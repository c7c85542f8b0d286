// The shaded background, the empty progress gauge and the colours of every
// page and control.
#pragma once

#include <windows.h>

enum { kBackgroundBands = 65 };

// Fills the client area of window with 65 blue bands, lightest on top.
void PaintBackground(HWND window, HDC dc);

// Draws the gauge frame, ticks and labels into window and sets the gauge fields.
void PaintGauge(HDC dc, HWND window);

// Prepares dc for a control-colour message and returns the background brush.
HBRUSH SetCtlColors(HDC dc);

// 1 for the control-colour messages WM_CTLCOLORMSGBOX to WM_CTLCOLORSTATIC,
// which every window of the program answers with SetCtlColors.
int IsCtlColorMessage(UINT message);

// The answer to a control-colour message whose first parameter is wParam.
INT_PTR AnswerCtlColor(WPARAM wParam);

// Releases the brushes kept by SetCtlColors (colours changed, or the run ends).
void ReleaseCtlBrushes();
