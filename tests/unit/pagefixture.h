// Shared by the page tests: a stand-in main window that records the wizard
// commands and end requests the pages post, and a fixture that creates a page
// from the program's own template with the page procedure under test.
#pragma once

#include "app/state.h"
#include "history/history.h"
#include "install/stamp.h"

#include "boxscript.h"

#include <gtest/gtest.h>

#include <string.h>
#include <string>
#include <vector>

const int kEnd = -1; // WM_DESTROY posted to the main window, in the record

inline std::vector<int> posted;

// The main window's part: remember what reaches it. WM_DESTROY is only
// recorded (the window stays for the next step); the fixture destroys the
// window after the test, when the record is no longer read.
inline LRESULT CALLBACK RecorderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && lParam == 0) {
        posted.push_back((int)wParam);
        return 0;
    }
    if (message == WM_DESTROY) {
        posted.push_back(kEnd);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

inline HWND MakeRecorderWindow() {
    static ATOM atom;
    if (!atom) {
        WNDCLASSA wc;
        memset(&wc, 0, sizeof wc);
        wc.lpfnWndProc = RecorderProc;
        wc.hInstance = GetModuleHandleA(NULL);
        wc.lpszClassName = "PagesTestMain";
        atom = RegisterClassA(&wc);
    }
    return CreateWindowExA(0, "PagesTestMain", "main", WS_OVERLAPPED | WS_VISIBLE, 0, 0, 800, 600, NULL, NULL,
                           GetModuleHandleA(NULL), NULL);
}

// Delivers everything queued for this thread, so posted commands are recorded.
inline void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

class PageTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetAppState();
        g.appInstance = GetModuleHandleA(NULL);
        g.mainWindow = MakeRecorderWindow();
        ASSERT_NE(g.mainWindow, (HWND)NULL);
        strcpy(g.caption, "ZEL Vantorix Setup");
        g.osKind = kOsNt;
        g.installApp = 1;
        g.installSnmp = 1;
        strcpy(g.installDir, "C:\\Vantrx");
        dir_ = MakeTempDir("pages");
        snprintf(g.historyPath, sizeof g.historyPath, "%s\\ZELSETUP.INI", dir_.c_str());
        posted.clear();
    }
    void TearDown() override {
        if (page_ && IsWindow(page_))
            DestroyWindow(page_);
        Pump();
        DestroyWindow(g.mainWindow);
        RemoveTree(dir_);
    }

    // Creates page id with its procedure; the template is the program's own.
    HWND Open(int id, DLGPROC proc) {
        page_ = CreateDialogParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(id), g.mainWindow, proc, 0);
        return page_;
    }
    // A plain click on button id: WM_COMMAND with the id as the whole parameter.
    void Click(int id) {
        SendMessageA(page_, WM_COMMAND, (WPARAM)id, (LPARAM)GetDlgItem(page_, id));
        Pump();
    }
    // A page is closed once EndDialog has hidden it.
    bool Closed() {
        return !IsWindowVisible(page_);
    }
    std::string Text(int id) {
        return WindowText(GetDlgItem(page_, id));
    }

    BoxScript boxes_;
    HWND page_ = NULL;
    std::string dir_;
};
