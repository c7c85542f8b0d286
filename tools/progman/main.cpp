// progman.exe: a Program Manager for the roads. A DDEML server, service and topic PROGMAN, that runs the
// command strings Setup sends (CreateGroup, ShowGroup, AddItem, ReplaceItem, DeleteGroup), answers the
// CF_TEXT request of a group name with the group's description in the published format, keeps its groups in
// a state file between runs and logs what it was asked.
//
//   progman.exe --log FILE --state FILE [--stall N]
//   --log FILE    one line per event (LF ends): CONNECT | CONNECT refused | EXECUTE <text> |
//                 EXECUTE-FAILED <text> | REQUEST <item> | REQUEST-FAILED <item>
//   --state FILE  the groups, read at start and written after every command (items after their group):
//                   group<TAB>name<TAB>show command
//                   item<TAB>name<TAB>command line<TAB>default dir<TAB>icon path<TAB>icon index
//                 Its folder, made when missing, also holds the files a road steers it with:
//                   ready        written once the service is registered
//                   away         while it exists, every conversation is refused
//                   nocreate     while it exists, CreateGroup is refused
//                   description  while it exists, a group's description is its bytes
//                   go           ends the stall below
//   --stall N     the Nth command or request is logged and done, but answered only once "go" exists (at
//                 most 4 s later, within Setup's timeouts): a moment to interrupt Setup
// Exit code 2 for bad options, 3 when DDEML does not start.
#include <windows.h>
#include <ddeml.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Item {
    std::string name, commandLine, defaultDir, iconPath, iconIndex;
};

struct Group {
    std::string name, show = "1";
    std::vector<Item> items;
};

struct {
    std::string log, state, folder; // folder: the state file's, with its backslash
    long stall = 0;
} options;

std::vector<Group> groups;
std::string active;          // the group the last CreateGroup or ShowGroup named
size_t replaceAt = SIZE_MAX; // the slot ReplaceItem emptied, taken by the next AddItem; SIZE_MAX: none
long transactions;           // commands and requests so far
DWORD ddeInstance;
HSZ service;

// Names compare without regard to letter case, as Program Manager's do.
bool Same(const std::string& a, const std::string& b) {
    return _stricmp(a.c_str(), b.c_str()) == 0;
}

// Whether the road has put the named file into the state's folder.
bool Present(const char* name) {
    return GetFileAttributesA((options.folder + name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadFile(const std::string& path) {
    std::string text;
    FILE* file = fopen(path.c_str(), "rb");
    if (!file)
        return text;
    char chunk[4096];
    for (size_t n; (n = fread(chunk, 1, sizeof chunk, file)) > 0;)
        text.append(chunk, n);
    fclose(file);
    return text;
}

void WriteFile(const std::string& path, const std::string& text, const char* mode = "wb") {
    if (FILE* file = fopen(path.c_str(), mode)) {
        fwrite(text.data(), 1, text.size(), file);
        fclose(file);
    }
}

void Log(const std::string& line) {
    WriteFile(options.log, line + "\n", "ab");
}

std::vector<std::string> Split(const std::string& line, char separator) {
    std::vector<std::string> fields(1);
    for (char c : line) {
        if (c == separator)
            fields.emplace_back();
        else
            fields.back().push_back(c);
    }
    return fields;
}

void Load() {
    for (std::string line : Split(ReadFile(options.state), '\n')) {
        std::vector<std::string> f = Split(line, '\t');
        if (f.size() == 3 && f[0] == "group")
            groups.push_back({f[1], f[2], {}});
        else if (f.size() == 6 && f[0] == "item" && !groups.empty())
            groups.back().items.push_back({f[1], f[2], f[3], f[4], f[5]});
    }
}

// Written beside and moved over, so that a road never reads half a state.
void Save() {
    std::string text;
    for (const Group& g : groups) {
        text += "group\t" + g.name + "\t" + g.show + "\n";
        for (const Item& i : g.items)
            text += "item\t" + i.name + "\t" + i.commandLine + "\t" + i.defaultDir + "\t" + i.iconPath +
                    "\t" + i.iconIndex + "\n";
    }
    WriteFile(options.state + ".new", text);
    MoveFileExA((options.state + ".new").c_str(), options.state.c_str(), MOVEFILE_REPLACE_EXISTING);
}

Group* Find(const std::string& name) {
    for (Group& g : groups)
        if (Same(g.name, name))
            return &g;
    return nullptr;
}

std::string Trim(const std::string& s) {
    size_t begin = s.find_first_not_of(' '), end = s.find_last_not_of(' ');
    return begin == std::string::npos ? "" : s.substr(begin, end - begin + 1);
}

// The program of a command line: up to the blank after ".exe" (or another program extension), else the whole
// line.
std::string ProgramOf(const std::string& line) {
    for (size_t blank = line.find(' '); blank != std::string::npos; blank = line.find(' ', blank + 1)) {
        std::string ext = blank >= 4 ? line.substr(blank - 4, 4) : "";
        if (Same(ext, ".exe") || Same(ext, ".com") || Same(ext, ".bat") || Same(ext, ".pif"))
            return line.substr(0, blank);
    }
    return line;
}

bool AddItem(const std::vector<std::string>& a) {
    Group* g = Find(active);
    if (!g || a.empty() || a[0].empty())
        return false;
    std::string program = ProgramOf(a[0]);
    size_t slash = program.find_last_of('\\');
    std::string base = program.substr(slash + 1);
    Item item{a[0], a[0], slash == std::string::npos ? "" : program.substr(0, slash), program, "0"};
    item.name = a.size() > 1 && !a[1].empty() ? a[1] : base.substr(0, base.rfind('.'));
    if (a.size() > 2 && !a[2].empty())
        item.iconPath = a[2];
    if (a.size() > 3 && !a[3].empty())
        item.iconIndex = a[3];
    size_t slot = replaceAt <= g->items.size() ? replaceAt : g->items.size();
    replaceAt = SIZE_MAX;
    g->items.insert(g->items.begin() + (long)slot, item);
    return true;
}

bool Run(const std::string& verb, const std::vector<std::string>& a) {
    std::string first = a.empty() ? "" : a[0];
    if (Same(verb, "CreateGroup")) {
        if (Present("nocreate") || first.empty())
            return false;
        if (!Find(first))
            groups.push_back({first, "1", {}});
        active = first;
        return true;
    }
    if (Same(verb, "ShowGroup")) {
        Group* g = Find(first);
        if (!g || a.size() < 2)
            return false;
        g->show = a[1];
        active = first;
        return true;
    }
    if (Same(verb, "AddItem"))
        return AddItem(a);
    if (Same(verb, "ReplaceItem")) {
        Group* g = Find(active);
        for (size_t i = 0; g && i < g->items.size(); ++i) {
            if (Same(g->items[i].name, first)) {
                g->items.erase(g->items.begin() + (long)i);
                replaceAt = i;
                return true;
            }
        }
        return false;
    }
    Group* g = Same(verb, "DeleteGroup") ? Find(first) : nullptr;
    if (g)
        groups.erase(groups.begin() + (g - groups.data()));
    return g != nullptr;
}

// "[Verb(arg, "arg", ...)][Verb2]": arguments lose their blanks and quotes; quotes protect commas, brackets
// and parentheses; anything between a bare ")" and the "]" refuses the command. Stops at the first refused
// command.
bool Execute(const std::string& text) {
    size_t pos = 0;
    bool any = false;
    while ((pos = text.find_first_not_of(" \r\n", pos)) != std::string::npos && text[pos] != '\0') {
        size_t open = text.find_first_of("(]", pos);
        if (text[pos] != '[' || open == std::string::npos)
            return false;
        std::string verb = Trim(text.substr(pos + 1, open - pos - 1)), current;
        std::vector<std::string> args;
        bool quoted = false;
        pos = open;
        if (text[open] == '(') {
            for (++pos; pos < text.size() && (quoted || text[pos] != ')'); ++pos) {
                if (text[pos] == '"')
                    quoted = !quoted;
                else if (text[pos] == ',' && !quoted)
                    args.push_back(Trim(current)), current.clear();
                else
                    current += text[pos];
            }
            if (!args.empty() || !Trim(current).empty())
                args.push_back(Trim(current));
            pos = text.find_first_not_of(' ', pos + 1);
            pos = pos != std::string::npos && text[pos] == ']' ? pos : std::string::npos;
        }
        if (pos == std::string::npos || verb.empty() || !Run(verb, args))
            return false;
        ++pos;
        any = true;
    }
    return any;
}

std::string Describe(const Group& g) {
    std::string text = "\"" + g.name + "\",C:\\WINDOWS\\ZELVANTO.GRP," + std::to_string(g.items.size()) +
                       "," + g.show + "\r\n";
    for (size_t i = 0; i < g.items.size(); ++i) {
        const Item& item = g.items[i];
        text += "\"" + item.name + "\",\"" + item.commandLine + "\"," + item.defaultDir + "," +
                item.iconPath + "," + std::to_string(16 + 80 * (i % 4)) + "," +
                std::to_string(16 + 72 * (i / 4)) + "," + item.iconIndex + ",0,0\r\n";
    }
    return text;
}

void StallWhenAsked() {
    if (++transactions != options.stall)
        return;
    for (int waited = 0; waited < 4000 && !Present("go"); waited += 20)
        Sleep(20);
}

HDDEDATA OnExecute(HDDEDATA data) {
    std::string text(DdeGetData(data, NULL, 0, 0), '\0');
    DdeGetData(data, (LPBYTE)&text[0], (DWORD)text.size(), 0);
    text.resize(text.find('\0') == std::string::npos ? text.size() : text.find('\0'));
    bool done = Execute(text);
    Log((done ? "EXECUTE " : "EXECUTE-FAILED ") + text);
    Save();
    StallWhenAsked();
    return (HDDEDATA)(ULONG_PTR)(done ? DDE_FACK : DDE_FNOTPROCESSED);
}

HDDEDATA OnRequest(UINT format, HSZ item) {
    char name[256] = "";
    DdeQueryStringA(ddeInstance, item, name, sizeof name, CP_WINANSI);
    bool given = Present("description");
    Group* group = Find(name);
    std::string answer = given   ? ReadFile(options.folder + "description")
                         : group ? Describe(*group) + '\0'
                                 : "";
    bool answered = format == CF_TEXT && (given || group);
    Log((answered ? "REQUEST " : "REQUEST-FAILED ") + std::string(name));
    StallWhenAsked();
    return answered ? DdeCreateDataHandle(ddeInstance, (LPBYTE)answer.data(), (DWORD)answer.size(), 0, item,
                                          CF_TEXT, 0)
                    : NULL;
}

HDDEDATA CALLBACK Callback(UINT type, UINT format, HCONV, HSZ hsz1, HSZ hsz2, HDDEDATA data, ULONG_PTR,
                           ULONG_PTR) {
    if (type == XTYP_CONNECT && DdeCmpStringHandles(hsz1, service) == 0) {
        bool away = Present("away");
        Log(away ? "CONNECT refused" : "CONNECT");
        return (HDDEDATA)(ULONG_PTR)!away;
    }
    if (type == XTYP_EXECUTE)
        return OnExecute(data);
    if (type == XTYP_REQUEST)
        return OnRequest(format, hsz2);
    return NULL;
}

bool ParseOptions(int argc, char** argv) {
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string arg = argv[i];
        if (arg == "--log")
            options.log = argv[i + 1];
        else if (arg == "--state")
            options.state = argv[i + 1];
        else if (arg == "--stall")
            options.stall = atol(argv[i + 1]);
        else
            return false;
    }
    options.folder = options.state.substr(0, options.state.find_last_of('\\') + 1);
    return argc % 2 == 1 && !options.log.empty() && !options.state.empty();
}

} // namespace

int main(int argc, char** argv) {
    if (!ParseOptions(argc, argv)) {
        fprintf(stderr, "progman: bad options (see the comment at the top of tools/progman/main.cpp)\n");
        return 2;
    }
    CreateDirectoryA(options.folder.c_str(), NULL);
    Load();
    if (DdeInitializeA(&ddeInstance, Callback,
                       APPCLASS_STANDARD | CBF_FAIL_ADVISES | CBF_FAIL_POKES | CBF_SKIP_ALLNOTIFICATIONS,
                       0) != DMLERR_NO_ERROR)
        return 3;
    service = DdeCreateStringHandleA(ddeInstance, "PROGMAN", CP_WINANSI);
    DdeNameService(ddeInstance, service, 0, DNS_REGISTER);
    WriteFile(options.folder + "ready", "");
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0)
        DispatchMessageA(&msg);
    return 0;
}
