#include "driver.h"

#include "resource.h"

#include <algorithm>
#include <stdio.h>
#include <string.h>

// Wine's message box template: the icon control and the text control ids.
static const int kBoxIconId = 0x0440;
static const int kBoxTextId = 0xFFFF;

// Each page and its control ids, sorted, without the 0xFFFF statics.
static const std::pair<int, std::vector<int>> kSignatures[] = {
    {IDD_WELCOME, {IDC_EXIT, IDC_CONTINUE, IDC_WELCOME_TEXT}},
    {IDD_PATH, {IDC_INSTALL_HISTORY, IDC_EXIT, IDC_PATH_EDIT, IDC_CONTINUE}},
    {IDD_HISTORY, {IDOK, IDCANCEL, IDC_HISTORY_LIST, IDC_HISTORY_HINT}},
    {IDD_CONFIRM, {IDC_EXIT, IDC_BACK, IDC_CONTINUE, IDC_CONFIRM_DIR}},
    {IDD_COPY, {IDC_COPY_FILE}},
    {IDD_EXIT, {IDC_EXIT_ABANDON, IDC_BACK}},
    {IDD_COMPONENTS, {IDC_COMPONENTS_BACK, IDC_EXIT, IDC_CONTINUE, IDC_APP_CHECK, IDC_SNMP_CHECK}},
    {IDD_WAIT, {}},
};

static std::vector<HWND> Children(HWND parent) {
    std::vector<HWND> list;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        list.push_back(child);
    return list;
}

static int IdOf(HWND control) {
    return GetDlgCtrlID(control) & 0xFFFF;
}

std::string TextOf(HWND window) {
    char buffer[4096] = "";
    DWORD_PTR length = 0;
    if (SendMessageTimeoutA(window, WM_GETTEXT, sizeof buffer, (LPARAM)buffer, SMTO_ABORTIFHUNG,
                            AnswerTimeout(), &length))
        buffer[length < sizeof buffer ? length : sizeof buffer - 1] = '\0';
    else if (!GetWindowTextA(window, buffer, sizeof buffer))
        buffer[0] = '\0';
    return buffer;
}

HWND ControlOf(HWND dialog, int id) {
    for (HWND child : Children(dialog)) {
        if (IdOf(child) == (id & 0xFFFF))
            return child;
    }
    return NULL;
}

// Page number (100..107) whose control-id signature the dialog matches, or 0.
static int PageOfDialog(HWND dialog) {
    std::vector<int> ids;
    int statics = 0;
    for (HWND child : Children(dialog)) {
        int id = IdOf(child);
        if (id == 0xFFFF)
            ++statics;
        else
            ids.push_back(id);
    }
    std::sort(ids.begin(), ids.end());
    for (const auto& signature : kSignatures) {
        if (signature.second == ids && (signature.first != IDD_WAIT || statics == 1))
            return signature.first;
    }
    return 0;
}

static BOOL CALLBACK AddWindow(HWND window, LPARAM list) {
    ((std::vector<HWND>*)list)->push_back(window);
    return TRUE;
}

Windows ListWindows(DWORD pid) {
    std::vector<HWND> all;
    EnumWindows(AddWindow, (LPARAM)&all);
    Windows list;
    for (HWND window : all) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        char className[16];
        if (owner != pid || !IsWindowVisible(window))
            continue;
        if (!GetClassNameA(window, className, sizeof className) || strcmp(className, "#32770") != 0) {
            if (GetWindowLongPtrA(window, GWL_STYLE) & WS_CAPTION)
                list.push_back({window, kKindMain, 0});
        } else if (ControlOf(window, kBoxIconId) && ControlOf(window, kBoxTextId)) {
            list.push_back({window, kKindBox, 0});
        } else if (GetWindow(window, GW_CHILD)) {
            // A dialog shown before all its controls exist is told at a later look: one
            // that matches no page counts only once it has stayed so for two looks.
            static std::set<HWND> unknown;
            int page = PageOfDialog(window);
            if (page || unknown.count(window))
                list.push_back({window, page ? kKindPage : kKindDialog, page});
            else
                unknown.insert(window);
        }
    }
    return list;
}

// Shared icons are cached per process, so the handle a message box shows is the one LoadIconA(NULL, id)
// returns inside the program, not in the driver. A remote thread runs a small stub there that makes that very
// call and returns the handle (icon handles fit in 32 bits) as its exit code.
static DWORD RemoteLoadIcon(HANDLE process, LPCSTR id) {
    ULONG_PTR loadIcon = (ULONG_PTR)GetProcAddress(GetModuleHandleA("user32.dll"), "LoadIconA");
    DWORD idValue = (DWORD)(ULONG_PTR)id;
#ifdef _WIN64
    // sub rsp,40; xor ecx,ecx; mov edx,ID; mov rax,LoadIconA; call rax; add rsp,40; ret
    unsigned char code[] = {0x48, 0x83, 0xEC, 0x28, 0x31, 0xC9, 0xBA, 0,   0, 0,
                            0,    0x48, 0xB8, 0,    0,    0,    0,    0,   0, 0,
                            0,    0xFF, 0xD0, 0x48, 0x83, 0xC4, 0x28, 0xC3};
    const size_t kIdAt = 7, kLoadIconAt = 13;
#else
    // push ID; push 0; mov eax,LoadIconA; call eax; ret 4
    unsigned char code[] = {0x68, 0, 0, 0, 0, 0x6A, 0x00, 0xB8, 0, 0, 0, 0, 0xFF, 0xD0, 0xC2, 0x04, 0x00};
    const size_t kIdAt = 1, kLoadIconAt = 8;
#endif
    memcpy(code + kIdAt, &idValue, sizeof idValue);
    memcpy(code + kLoadIconAt, &loadIcon, sizeof loadIcon);
    void* remote =
        VirtualAllocEx(process, NULL, sizeof code, MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE);
    HANDLE thread = NULL;
    if (remote && WriteProcessMemory(process, remote, code, sizeof code, NULL))
        thread = CreateRemoteThread(process, NULL, 0, (LPTHREAD_START_ROUTINE)remote, NULL, 0, NULL);
    // A loaded machine can take seconds; the stub's memory is released only once
    // it has run (freeing it under a running thread would crash the program).
    DWORD result = 0, waited = thread ? WaitForSingleObject(thread, 30000) : WAIT_FAILED;
    if (waited == WAIT_OBJECT_0)
        GetExitCodeThread(thread, &result);
    if (thread)
        CloseHandle(thread);
    if (remote && waited != WAIT_TIMEOUT)
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    return result;
}

static std::string IconName(HWND iconControl) {
    static const LPCSTR kIds[] = {IDI_ASTERISK, IDI_EXCLAMATION, IDI_HAND, IDI_QUESTION};
    static const char* const kNames[] = {"info", "exclamation", "stop", "question"};
    static DWORD cachedPid, handles[4]; // the program's own handles of the four icons, looked up once
    DWORD_PTR icon = 0;
    if (!iconControl || !IsWindowVisible(iconControl) ||
        !SendMessageTimeoutA(iconControl, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, AnswerTimeout(), &icon) ||
        !icon)
        return "none";
    DWORD pid = 0;
    GetWindowThreadProcessId(iconControl, &pid);
    if (pid != cachedPid) {
        HANDLE process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, pid);
        bool all = process != NULL;
        for (int i = 0; i < 4; ++i) {
            handles[i] = process ? RemoteLoadIcon(process, kIds[i]) : 0;
            all = all && handles[i];
        }
        if (process)
            CloseHandle(process);
        cachedPid = all ? pid : 0; // a lookup that did not finish is made again at the next look
    }
    for (int i = 0; i < 4; ++i) {
        if (handles[i] && handles[i] == (DWORD)icon)
            return kNames[i];
    }
    return "unknown(" + std::to_string(icon) + ")";
}

static bool ButtonShown(HWND box, int id) {
    HWND button = ControlOf(box, id);
    return button && IsWindowVisible(button);
}

std::string BoxText(HWND box) {
    HWND text = ControlOf(box, kBoxTextId);
    return text ? TextOf(text) : "";
}

BoxInfo DescribeBox(HWND box) {
    HWND owner = GetWindow(box, GW_OWNER);
    BoxInfo info = {BoxText(box), TextOf(box), IconName(ControlOf(box, kBoxIconId)), "other",
                    owner == d.mainWindow      ? "main"
                    : owner && owner == d.page ? "page"
                                               : "other"};
    bool cancel = ButtonShown(box, IDCANCEL);
    if (ButtonShown(box, IDYES) && ButtonShown(box, IDNO))
        info.buttons = cancel ? "yesnocancel" : "yesno";
    else if (ButtonShown(box, IDOK))
        info.buttons = cancel ? "okcancel" : "ok";
    return info;
}

Words ListRows(HWND list) {
    Words rows;
    DWORD_PTR count = 0;
    if (!SendMessageTimeoutA(list, LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, AnswerTimeout(), &count))
        return rows;
    // Rows are fetched as UTF-16 and converted here: Wine 8 hands a list box's rows across processes to an
    // ANSI LB_GETTEXT unconverted (the first character only arrives).
    for (int i = 0; i < (int)count; ++i) {
        WCHAR wide[1024] = {0};
        char row[2048] = ""; // room for any 1023 characters
        DWORD_PTR length = 0;
        if (SendMessageTimeoutW(list, LB_GETTEXTLEN, i, 0, SMTO_ABORTIFHUNG, AnswerTimeout(), &length) &&
            length < sizeof wide / sizeof wide[0])
            SendMessageTimeoutW(list, LB_GETTEXT, i, (LPARAM)wide, SMTO_ABORTIFHUNG, AnswerTimeout(),
                                &length);
        WideCharToMultiByte(CP_ACP, 0, wide, -1, row, sizeof row, NULL, NULL);
        rows.push_back(row);
    }
    return rows;
}

std::string DescribeDialog(HWND dialog, int page) {
    std::string out = page ? "page " + std::to_string(page) : std::string("dialog (unknown)");
    out += " title=" + Quote(TextOf(dialog));
    RECT frame, client;
    POINT origin = {0, 0};
    if (GetWindowRect(dialog, &frame) && GetClientRect(dialog, &client) && ClientToScreen(dialog, &origin)) {
        char rects[160];
        snprintf(rects, sizeof rects, "\n    window %ld %ld %ld %ld client %ld %ld %ld %ld", frame.left,
                 frame.top, frame.right, frame.bottom, origin.x, origin.y, origin.x + client.right,
                 origin.y + client.bottom);
        out += rects;
    }
    return out;
}

std::string Quote(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        const char* form = c == '\n' ? "\\n" : c < 0x20 ? "\\x%02x" : c == '"' || c == '\\' ? "\\%c" : "%c";
        char escaped[8];
        snprintf(escaped, sizeof escaped, form, c);
        out += escaped;
    }
    return out + "\"";
}
