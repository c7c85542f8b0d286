#include "driver.h"

#include "resource.h"

#include <algorithm>
#include <stdio.h>

// Wine's message box template: the icon control and the text control ids.
static const int kBoxIconId = 0x0440;
static const int kBoxTextId = 0xFFFF;
static const UINT kAnswerTimeout = 2000;

struct PageSignature {
    int page;
    std::vector<int> ids; // sorted, without the 0xFFFF statics
};

static const PageSignature kSignatures[] = {
    {IDD_WELCOME, {IDC_EXIT, IDC_CONTINUE, IDC_WELCOME_TEXT}},
    {IDD_PATH, {IDC_INSTALL_HISTORY, IDC_EXIT, IDC_PATH_EDIT, IDC_CONTINUE}},
    {IDD_HISTORY, {IDOK, IDCANCEL, IDC_HISTORY_LIST, IDC_HISTORY_HINT}},
    {IDD_CONFIRM, {IDC_EXIT, IDC_BACK, IDC_CONTINUE, IDC_CONFIRM_DIR}},
    {IDD_COPY, {IDC_COPY_FILE}},
    {IDD_EXIT, {IDC_EXIT_ABANDON, IDC_BACK}},
    {IDD_COMPONENTS, {IDC_COMPONENTS_BACK, IDC_EXIT, IDC_CONTINUE, IDC_APP_CHECK, IDC_SNMP_CHECK}},
    {IDD_WAIT, {}},
};

static std::string ClassOf(HWND window) {
    char name[128];
    if (!GetClassNameA(window, name, sizeof name))
        return "";
    return name;
}

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
    char buffer[4096];
    DWORD_PTR length = 0;
    if (SendMessageTimeoutA(window, WM_GETTEXT, sizeof buffer, (LPARAM)buffer, SMTO_ABORTIFHUNG,
                            kAnswerTimeout, &length)) {
        buffer[length < sizeof buffer ? length : sizeof buffer - 1] = '\0';
        return buffer;
    }
    if (!GetWindowTextA(window, buffer, sizeof buffer))
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

int IsMessageBox(HWND dialog) {
    return ControlOf(dialog, kBoxIconId) != NULL && ControlOf(dialog, kBoxTextId) != NULL;
}

int PageOfDialog(HWND dialog) {
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
    for (const PageSignature& signature : kSignatures) {
        std::vector<int> expected = signature.ids;
        std::sort(expected.begin(), expected.end());
        if (expected == ids && (signature.page != IDD_WAIT || statics == 1))
            return signature.page;
    }
    return 0;
}

struct EnumState {
    DWORD pid;
    std::vector<SeenWindow>* list;
};

static BOOL CALLBACK CollectWindow(HWND window, LPARAM lParam) {
    EnumState* state = (EnumState*)lParam;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != state->pid || !IsWindowVisible(window))
        return TRUE;
    SeenWindow seen = {window, kKindOther, 0};
    if (ClassOf(window) == "#32770") {
        // A dialog shown before its controls exist cannot be told yet: next look.
        if (!GetWindow(window, GW_CHILD))
            return TRUE;
        if (IsMessageBox(window)) {
            seen.kind = kKindBox;
        } else {
            seen.page = PageOfDialog(window);
            seen.kind = seen.page ? kKindPage : kKindDialog;
        }
    } else if (GetWindowLongPtrA(window, GWL_STYLE) & WS_CAPTION) {
        seen.kind = kKindMain;
    }
    state->list->push_back(seen);
    return TRUE;
}

std::vector<SeenWindow> ListWindows(DWORD pid) {
    std::vector<SeenWindow> list;
    EnumState state = {pid, &list};
    EnumWindows(CollectWindow, (LPARAM)&state);
    return list;
}

// Shared icons are cached per process, so the handle a message box shows is
// the one LoadIconA(NULL, id) returns inside the program, not in the driver.
// A remote thread runs a small stub there that makes that very call and
// returns the handle (icon handles fit in 32 bits) as its exit code.
static DWORD RemoteLoadIcon(HANDLE process, LPCSTR id) {
    FARPROC loadIcon = GetProcAddress(GetModuleHandleA("user32.dll"), "LoadIconA");
    unsigned char code[64];
    size_t n = 0;
    DWORD idValue = (DWORD)(ULONG_PTR)id;
#ifdef _WIN64
    const unsigned char head[] = {0x48, 0x83, 0xEC, 0x28,
                                  0x31, 0xC9, 0xBA}; // sub rsp,40; xor ecx,ecx; mov edx,
    memcpy(code, head, sizeof head), n = sizeof head;
    memcpy(code + n, &idValue, 4), n += 4;
    code[n++] = 0x48, code[n++] = 0xB8; // mov rax, LoadIconA
    ULONG_PTR target = (ULONG_PTR)loadIcon;
    memcpy(code + n, &target, 8), n += 8;
    const unsigned char tail[] = {0xFF, 0xD0, 0x48, 0x83, 0xC4, 0x28, 0xC3}; // call rax; add rsp,40; ret
    memcpy(code + n, tail, sizeof tail), n += sizeof tail;
#else
    code[n++] = 0x68; // push id
    memcpy(code + n, &idValue, 4), n += 4;
    code[n++] = 0x6A, code[n++] = 0x00; // push 0
    code[n++] = 0xB8;                   // mov eax, LoadIconA
    DWORD target = (DWORD)(ULONG_PTR)loadIcon;
    memcpy(code + n, &target, 4), n += 4;
    const unsigned char tail[] = {0xFF, 0xD0, 0xC2, 0x04, 0x00}; // call eax; ret 4
    memcpy(code + n, tail, sizeof tail), n += sizeof tail;
#endif
    void* remote =
        VirtualAllocEx(process, NULL, sizeof code, MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE);
    if (!remote)
        return 0;
    DWORD result = 0;
    if (WriteProcessMemory(process, remote, code, n, NULL)) {
        HANDLE thread = CreateRemoteThread(process, NULL, 0, (LPTHREAD_START_ROUTINE)remote, NULL, 0, NULL);
        if (thread) {
            if (WaitForSingleObject(thread, kAnswerTimeout) == WAIT_OBJECT_0)
                GetExitCodeThread(thread, &result);
            CloseHandle(thread);
        }
    }
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    return result;
}

static std::string IconName(HWND iconControl) {
    if (!iconControl || !IsWindowVisible(iconControl))
        return "none";
    DWORD_PTR icon = 0;
    if (!SendMessageTimeoutA(iconControl, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, kAnswerTimeout, &icon) ||
        !icon)
        return "none";
    static const struct {
        LPCSTR id;
        const char* name;
    } kIcons[] = {{IDI_ASTERISK, "info"},
                  {IDI_EXCLAMATION, "exclamation"},
                  {IDI_HAND, "stop"},
                  {IDI_QUESTION, "question"}};
    static DWORD cachedPid;
    static DWORD handles[4];
    DWORD pid = 0;
    GetWindowThreadProcessId(iconControl, &pid);
    if (pid != cachedPid) {
        HANDLE process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, pid);
        for (int i = 0; i < 4; ++i)
            handles[i] = process ? RemoteLoadIcon(process, kIcons[i].id) : 0;
        if (process)
            CloseHandle(process);
        cachedPid = pid;
    }
    for (int i = 0; i < 4; ++i) {
        if (handles[i] && handles[i] == (DWORD)icon)
            return kIcons[i].name;
    }
    char unknown[32];
    snprintf(unknown, sizeof unknown, "unknown(%#llx)", (unsigned long long)icon);
    return unknown;
}

static int ButtonShown(HWND box, int id) {
    HWND button = ControlOf(box, id);
    return button && IsWindowVisible(button);
}

BoxInfo DescribeBox(HWND box) {
    BoxInfo info;
    info.caption = TextOf(box);
    HWND text = ControlOf(box, kBoxTextId);
    info.text = text ? TextOf(text) : "";
    info.icon = IconName(ControlOf(box, kBoxIconId));
    int ok = ButtonShown(box, IDOK), cancel = ButtonShown(box, IDCANCEL);
    int yes = ButtonShown(box, IDYES), no = ButtonShown(box, IDNO);
    if (yes && no)
        info.buttons = cancel ? "yesnocancel" : "yesno";
    else if (ok)
        info.buttons = cancel ? "okcancel" : "ok";
    else
        info.buttons = "other";
    return info;
}

std::vector<std::string> ListRows(HWND list) {
    std::vector<std::string> rows;
    DWORD_PTR count = 0;
    if (!SendMessageTimeoutA(list, LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, kAnswerTimeout, &count))
        return rows;
    // Rows are fetched as UTF-16 and converted here: Wine 8 hands a list
    // box's rows across processes to an ANSI LB_GETTEXT unconverted (the first
    // character only arrives).
    for (int i = 0; i < (int)count; ++i) {
        WCHAR wide[1024];
        char row[2048];
        DWORD_PTR length = 0;
        if (!SendMessageTimeoutW(list, LB_GETTEXTLEN, i, 0, SMTO_ABORTIFHUNG, kAnswerTimeout, &length) ||
            length >= sizeof wide / sizeof wide[0])
            length = 0;
        wide[0] = 0;
        if (length)
            SendMessageTimeoutW(list, LB_GETTEXT, i, (LPARAM)wide, SMTO_ABORTIFHUNG, kAnswerTimeout, &length);
        if (!WideCharToMultiByte(CP_ACP, 0, wide, -1, row, sizeof row, NULL, NULL))
            row[0] = '\0';
        rows.push_back(row);
    }
    return rows;
}

std::string DescribeDialog(HWND dialog, int page) {
    char head[128];
    snprintf(head, sizeof head, "page %d", page);
    std::string out = page ? head : "dialog (unknown)";
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

HWND FocusOf(HWND anyWindowOfThread) {
    GUITHREADINFO info;
    memset(&info, 0, sizeof info);
    info.cbSize = sizeof info;
    DWORD thread = GetWindowThreadProcessId(anyWindowOfThread, NULL);
    if (!GetGUIThreadInfo(thread, &info))
        return NULL;
    return info.hwndFocus;
}

std::string Quote(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        switch (c) {
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        default:
            if (c < 0x20) {
                char escape[8];
                snprintf(escape, sizeof escape, "\\x%02x", c);
                out += escape;
            } else {
                out += (char)c;
            }
        }
    }
    return out + "\"";
}
