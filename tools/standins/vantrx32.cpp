// VANTRX32.EXE stand-in: the application the distribution installs. It shows
// one window titled "ZEL Vantorix" with its stamped version; "-quit" closes
// it again after a moment, for scripted runs.
#include "stamp.h"

#include <windows.h>

#include <stdio.h>
#include <string.h>

STANDIN_STAMP("ZEL Vantorix Manager (stand-in)");

static LRESULT CALLBACK VantorixWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(wnd, &ps);
        char text[64];
        int n = snprintf(text, sizeof text, "ZEL Vantorix %d.%c%c", standinStamp.major, standinStamp.minor1,
                         standinStamp.minor2);
        if (n > 0 && n < (int)sizeof text)
            TextOutA(dc, 16, 16, text, n);
        EndPaint(wnd, &ps);
        return 0;
    }
    case WM_TIMER:
        KillTimer(wnd, wParam);
        DestroyWindow(wnd);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(wnd, msg, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR cmdLine, int show) {
    WNDCLASSA wc;
    memset(&wc, 0, sizeof wc);
    wc.lpfnWndProc = VantorixWndProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(NULL, IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    wc.lpszClassName = "ZelVantorixStandin";
    if (!RegisterClassA(&wc))
        return 1;
    HWND wnd = CreateWindowA(wc.lpszClassName, "ZEL Vantorix", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                             CW_USEDEFAULT, 400, 200, NULL, NULL, instance, NULL);
    if (!wnd)
        return 1;
    ShowWindow(wnd, show);
    if (strstr(cmdLine, "-quit"))
        SetTimer(wnd, 1, 500, NULL);
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return (int)msg.wParam;
}
