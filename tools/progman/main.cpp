// progman.exe: a Program Manager for tests. A DDEML server with service and
// topic PROGMAN that executes the documented command strings (CreateGroup,
// ShowGroup, AddItem, ReplaceItem, DeleteItem, DeleteGroup) and answers the
// CF_TEXT request of "Groups" or of a group name with the published group
// description. It records every conversation and command in order.
//
// Usage (Windows paths):
//   progman.exe [--log FILE] [--state FILE] [--ready FILE] [--stop FILE]
//               [--timeout MS] [--groupdir DIR] [--refuse-create]
//               [--refuse-connect] [--no-register]
//   --log FILE        appends one line per event:  CONNECT | CONNECT refused |
//                     EXECUTE <text> | EXECUTE-FAILED <text> | REQUEST <item> |
//                     REQUEST-FAILED <item>   (LF line ends)
//   --state FILE      groups are loaded from and saved to FILE after every change
//   --ready FILE      created once the service is registered (or would be)
//   --stop FILE       the server ends when FILE exists (polled every 50 ms)
//   --timeout MS      the server ends after MS milliseconds (default 300000)
//   --groupdir DIR    directory named in group file paths (default Windows dir)
//   --refuse-create   CreateGroup is answered with DDE_FNOTPROCESSED
//   --refuse-connect  every conversation is refused (logged as CONNECT refused)
//   --no-register     runs but never registers the service (Program Manager away)
// It also ends on WM_CLOSE to its hidden window of class "ZelTestProgman".
// Exit code 0, or 2 for a bad option, 3 when DDEML could not start.
#include "groups.h"

#include <windows.h>
#include <ddeml.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

struct Options {
    std::string log, state, ready, stop, groupDir;
    DWORD timeout = 300000;
    bool refuseCreate = false, refuseConnect = false, noRegister = false;
};

Options options;
progman::Manager manager;
DWORD ddeInstance;
HSZ hszProgman;
DWORD startTick;

void AppendLog(const std::string& line) {
    if (options.log.empty())
        return;
    FILE* file = fopen(options.log.c_str(), "ab");
    if (!file)
        return;
    fprintf(file, "%s\n", line.c_str());
    fclose(file);
}

std::string ReadFileText(const std::string& path) {
    std::string text;
    FILE* file = fopen(path.c_str(), "rb");
    if (!file)
        return text;
    char chunk[4096];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, file)) > 0)
        text.append(chunk, n);
    fclose(file);
    return text;
}

// Written beside and moved over, so a reader never sees half a state.
void SaveState() {
    if (options.state.empty())
        return;
    std::string temp = options.state + ".new";
    FILE* file = fopen(temp.c_str(), "wb");
    if (!file)
        return;
    std::string text = manager.Save();
    fwrite(text.data(), 1, text.size(), file);
    fclose(file);
    MoveFileExA(temp.c_str(), options.state.c_str(), MOVEFILE_REPLACE_EXISTING);
}

std::string QueryString(HSZ hsz) {
    char text[1024] = "";
    DdeQueryStringA(ddeInstance, hsz, text, sizeof text, CP_WINANSI);
    return text;
}

HDDEDATA OnExecute(HDDEDATA data) {
    DWORD size = DdeGetData(data, NULL, 0, 0);
    std::string text(size, '\0');
    if (size)
        DdeGetData(data, (LPBYTE)&text[0], size, 0);
    text.resize(strlen(text.c_str()));
    bool done = manager.Execute(text);
    AppendLog((done ? "EXECUTE " : "EXECUTE-FAILED ") + text);
    SaveState();
    return (HDDEDATA)(ULONG_PTR)(done ? DDE_FACK : DDE_FNOTPROCESSED);
}

HDDEDATA OnRequest(UINT format, HSZ item) {
    std::string name = QueryString(item);
    std::string answer;
    if (format != CF_TEXT || !manager.Request(name, &answer)) {
        AppendLog("REQUEST-FAILED " + name);
        return NULL;
    }
    AppendLog("REQUEST " + name);
    return DdeCreateDataHandle(ddeInstance, (LPBYTE)answer.c_str(), (DWORD)answer.size() + 1, 0, item,
                               CF_TEXT, 0);
}

HDDEDATA CALLBACK DdeCallback(UINT type, UINT format, HCONV, HSZ hsz1, HSZ hsz2, HDDEDATA data, ULONG_PTR,
                              ULONG_PTR) {
    switch (type) {
    case XTYP_CONNECT:
        if (DdeCmpStringHandles(hsz1, hszProgman) != 0)
            return NULL;
        AppendLog(options.refuseConnect ? "CONNECT refused" : "CONNECT");
        return (HDDEDATA)(ULONG_PTR)(options.refuseConnect ? FALSE : TRUE);
    case XTYP_EXECUTE:
        return OnExecute(data);
    case XTYP_REQUEST:
        return OnRequest(format, hsz2);
    default:
        return NULL;
    }
}

bool ParseOptions(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        bool hasValue = i + 1 < argc;
        if (arg == "--refuse-create")
            options.refuseCreate = true;
        else if (arg == "--refuse-connect")
            options.refuseConnect = true;
        else if (arg == "--no-register")
            options.noRegister = true;
        else if (arg == "--log" && hasValue)
            options.log = argv[++i];
        else if (arg == "--state" && hasValue)
            options.state = argv[++i];
        else if (arg == "--ready" && hasValue)
            options.ready = argv[++i];
        else if (arg == "--stop" && hasValue)
            options.stop = argv[++i];
        else if (arg == "--groupdir" && hasValue)
            options.groupDir = argv[++i];
        else if (arg == "--timeout" && hasValue)
            options.timeout = (DWORD)strtoul(argv[++i], NULL, 10);
        else
            return false;
    }
    return true;
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER: {
        bool stop =
            !options.stop.empty() && GetFileAttributesA(options.stop.c_str()) != INVALID_FILE_ATTRIBUTES;
        if (stop || GetTickCount() - startTick >= options.timeout)
            DestroyWindow(window);
        return 0;
    }
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

void LoadState() {
    if (options.groupDir.empty()) {
        char dir[MAX_PATH] = "";
        GetWindowsDirectoryA(dir, sizeof dir);
        options.groupDir = dir;
    }
    manager.groupDir = options.groupDir;
    manager.refuseCreate = options.refuseCreate;
    if (!options.state.empty())
        manager.Load(ReadFileText(options.state));
}

void TouchReady() {
    if (options.ready.empty())
        return;
    FILE* file = fopen(options.ready.c_str(), "wb");
    if (file)
        fclose(file);
}

} // namespace

int main(int argc, char** argv) {
    if (!ParseOptions(argc, argv)) {
        fprintf(stderr, "progman: bad option (see the comment at the top of tools/progman/main.cpp)\n");
        return 2;
    }
    LoadState();
    startTick = GetTickCount();
    WNDCLASSA wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.lpszClassName = "ZelTestProgman";
    RegisterClassA(&wc);
    HWND window = CreateWindowA("ZelTestProgman", "Test Program Manager", WS_OVERLAPPED, 0, 0, 10, 10, NULL,
                                NULL, wc.hInstance, NULL);
    SetTimer(window, 1, 50, NULL);
    if (DdeInitializeA(&ddeInstance, DdeCallback,
                       APPCLASS_STANDARD | CBF_FAIL_ADVISES | CBF_FAIL_POKES | CBF_SKIP_ALLNOTIFICATIONS,
                       0) != DMLERR_NO_ERROR)
        return 3;
    hszProgman = DdeCreateStringHandleA(ddeInstance, "PROGMAN", CP_WINANSI);
    if (!options.noRegister)
        DdeNameService(ddeInstance, hszProgman, 0, DNS_REGISTER);
    TouchReady();
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    if (!options.noRegister)
        DdeNameService(ddeInstance, hszProgman, 0, DNS_UNREGISTER);
    DdeFreeStringHandle(ddeInstance, hszProgman);
    DdeUninitialize(ddeInstance);
    return 0;
}
