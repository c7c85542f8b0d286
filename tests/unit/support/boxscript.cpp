#include "boxscript.h"

#include <stdio.h>

static BoxScript* activeScript;

// Ids of the message box's own controls (Wine and Windows alike).
static const int kMsgBoxTextId = 0xFFFF;
static const int kMsgBoxIconId = 0x0440;

BoxScript::BoxScript() {
    activeScript = this;
    hook_ = SetWindowsHookExA(WH_CBT, CbtProc, NULL, GetCurrentThreadId());
}

BoxScript::~BoxScript() {
    UnhookWindowsHookEx(hook_);
    activeScript = nullptr;
}

void BoxScript::Answer(int button) {
    answers_.push_back(button);
}

LRESULT CALLBACK BoxScript::CbtProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && activeScript)
        activeScript->OnActivate((HWND)wParam);
    return CallNextHookEx(NULL, code, wParam, lParam);
}

std::string WindowClass(HWND window) {
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string WindowText(HWND window) {
    int length = GetWindowTextLengthA(window);
    std::string text(length + 1, '\0');
    GetWindowTextA(window, &text[0], length + 1);
    text.resize(strlen(text.c_str()));
    return text;
}

int IsMessageBox(HWND window) {
    // Pages have statics with id -1 (0xFFFF) too; only a message box also has
    // the icon control (present, if hidden, when the box shows no icon).
    return WindowClass(window) == "#32770" && GetDlgItem(window, kMsgBoxTextId) != NULL &&
           GetDlgItem(window, kMsgBoxIconId) != NULL;
}

void PressButton(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(dialog, id));
}

static UINT BoxIcon(HWND box) {
    HWND control = GetDlgItem(box, kMsgBoxIconId);
    // The box itself is not visible yet when it is activated: look at the control's own style.
    if (!control || !(GetWindowLongA(control, GWL_STYLE) & WS_VISIBLE))
        return 0;
    HICON icon = (HICON)SendMessageA(control, STM_GETICON, 0, 0);
    if (!icon)
        return 0;
    struct {
        LPCSTR id;
        UINT style;
    } const known[] = {{(LPCSTR)IDI_ASTERISK, MB_ICONINFORMATION},
                       {(LPCSTR)IDI_EXCLAMATION, MB_ICONEXCLAMATION},
                       {(LPCSTR)IDI_HAND, MB_ICONSTOP},
                       {(LPCSTR)IDI_QUESTION, MB_ICONQUESTION}};
    for (const auto& k : known) {
        if (LoadIconA(NULL, k.id) == icon)
            return k.style;
    }
    return 0xFFFFFFFF; // an icon, but not a system one
}

static int HasButton(HWND box, int id) {
    HWND button = GetDlgItem(box, id);
    return button && (GetWindowLongA(button, GWL_STYLE) & WS_VISIBLE);
}

static UINT BoxButtons(HWND box) {
    int ok = HasButton(box, IDOK), cancel = HasButton(box, IDCANCEL), yes = HasButton(box, IDYES),
        no = HasButton(box, IDNO), retry = HasButton(box, IDRETRY), abort = HasButton(box, IDABORT);
    if (yes && no)
        return cancel ? MB_YESNOCANCEL : MB_YESNO;
    if (abort)
        return MB_ABORTRETRYIGNORE;
    if (retry)
        return MB_RETRYCANCEL;
    if (ok && cancel)
        return MB_OKCANCEL;
    return MB_OK;
}

void BoxScript::OnActivate(HWND window) {
    if (WindowClass(window) != "#32770")
        return;
    if (!IsMessageBox(window)) {
        if (onDialog)
            onDialog(window);
        return;
    }
    RecordedBox box;
    box.text = WindowText(GetDlgItem(window, kMsgBoxTextId));
    box.caption = WindowText(window);
    box.icon = BoxIcon(window);
    box.buttons = BoxButtons(window);
    box.owner = GetWindow(window, GW_OWNER);
    if (!answers_.empty()) {
        box.answer = answers_.front();
        answers_.pop_front();
    } else {
        ++unscripted;
        box.answer = HasButton(window, IDCANCEL) ? IDCANCEL : IDOK;
    }
    boxes.push_back(box);
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(box.answer, BN_CLICKED), 0);
}

std::string MakeTempDir(const char* tag) {
    char base[MAX_PATH];
    GetTempPathA(sizeof base, base);
    static int serial;
    char path[MAX_PATH];
    snprintf(path, sizeof path, "%szt_%s_%lu_%d", base, tag, GetCurrentProcessId(), ++serial);
    RemoveTree(path);
    CreateDirectoryA(path, NULL);
    return path;
}

std::string ReadWholeFile(const std::string& path) {
    FILE* f = fopen(path.c_str(), "rb");
    if (!f)
        return "";
    std::string data;
    char chunk[4096];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, f)) > 0)
        data.append(chunk, got);
    fclose(f);
    return data;
}

bool WriteWholeFile(const std::string& path, const std::string& data) {
    FILE* f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = fwrite(data.data(), 1, data.size(), f) == data.size();
    return fclose(f) == 0 && ok;
}

void RemoveTree(const std::string& path) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string child = path + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(child);
            } else {
                SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(child.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(path.c_str());
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string Profile(const std::string& file, const std::string& section, const char* key) {
    char value[256];
    GetPrivateProfileStringA(section.c_str(), key, "NO ENTRY", value, sizeof value, file.c_str());
    return value;
}

bool KeyExists(const char* path) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}
