// Test helper: answers the message boxes and dialogs that the code under test
// opens on this thread. A WH_CBT hook sees each window as it is activated;
// message boxes are recorded (text, caption, icon, buttons, owner) and get the
// next scripted button; any other dialog is handed to the page handler.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

struct RecordedBox {
    std::string text;
    std::string caption;
    UINT icon;    // MB_ICONINFORMATION, MB_ICONEXCLAMATION, MB_ICONSTOP, MB_ICONQUESTION or 0
    UINT buttons; // MB_OK, MB_OKCANCEL, MB_YESNO, ...
    HWND owner;
    int answer; // the button pressed
};

class BoxScript {
  public:
    BoxScript();
    ~BoxScript();

    // Queues the button (IDOK, IDCANCEL, IDYES, IDNO...) for the next message box.
    void Answer(int button);

    // Called for every dialog that is not a message box, when it is activated.
    std::function<void(HWND)> onDialog;

    std::vector<RecordedBox> boxes;
    int unscripted = 0; // boxes that found no queued answer (they got IDCANCEL, or IDOK)

  private:
    static LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam);
    void OnActivate(HWND window);
    HHOOK hook_;
    std::deque<int> answers_;
};

// Class name of a window ("#32770" for dialogs).
std::string WindowClass(HWND window);
// Text of a window or control.
std::string WindowText(HWND window);
// 1 when window is a message box (a dialog with the message text control).
int IsMessageBox(HWND window);
// Presses a dialog button by posting its click.
void PressButton(HWND dialog, int id);
// Makes a unique empty directory under the prefix's temp folder and returns its path.
std::string MakeTempDir(const char* tag);
// Reads a whole file; empty when it cannot be read.
std::string ReadWholeFile(const std::string& path);
// Writes a whole file; true on success.
bool WriteWholeFile(const std::string& path, const std::string& data);
// Deletes a directory tree.
void RemoveTree(const std::string& path);
// True when a file or directory exists at path.
bool Exists(const std::string& path);
// A profile (INI) value read with the default "NO ENTRY", up to 255 characters.
std::string Profile(const std::string& file, const std::string& section, const char* key);
// True when the key HKEY_LOCAL_MACHINE\path exists.
bool KeyExists(const char* path);
