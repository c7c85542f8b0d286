#include "groups.h"

#include <cstdlib>
#include <sstream>

namespace progman {

static char Fold(char c) {
    return (c >= 'A' && c <= 'Z') ? (char)(c - 'A' + 'a') : c;
}

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Fold(a[i]) != Fold(b[i]))
            return false;
    return true;
}

static std::string Trim(const std::string& s) {
    size_t begin = s.find_first_not_of(" \t\r\n");
    if (begin == std::string::npos)
        return "";
    size_t end = s.find_last_not_of(" \t\r\n");
    return s.substr(begin, end - begin + 1);
}

// One argument as written: blanks around it go, and enclosing quotes too.
static std::string Argument(const std::string& raw) {
    std::string text = Trim(raw);
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
        return text.substr(1, text.size() - 2);
    return text;
}

// Reads the argument list after "(" up to the matching ")" outside quotes.
static bool ParseArguments(const std::string& text, size_t* pos, std::vector<std::string>* args) {
    std::string current;
    bool quoted = false;
    bool any = false;
    for (; *pos < text.size(); ++*pos) {
        char c = text[*pos];
        if (c == '"')
            quoted = !quoted;
        if (!quoted && c == ')') {
            ++*pos;
            if (any || !Trim(current).empty())
                args->push_back(Argument(current));
            return true;
        }
        if (!quoted && c == ',') {
            args->push_back(Argument(current));
            current.clear();
            any = true;
            continue;
        }
        current += c;
    }
    return false;
}

bool ParseExecute(const std::string& text, std::vector<Command>* commands) {
    size_t pos = 0;
    for (;;) {
        while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t' || text[pos] == '\r' ||
                                     text[pos] == '\n' || text[pos] == '\0'))
            ++pos;
        if (pos >= text.size())
            return !commands->empty();
        if (text[pos] != '[')
            return false;
        ++pos;
        Command command;
        while (pos < text.size() && text[pos] != '(' && text[pos] != ']')
            command.verb += text[pos++];
        command.verb = Trim(command.verb);
        if (pos >= text.size() || command.verb.empty())
            return false;
        if (text[pos] == '(') {
            ++pos;
            if (!ParseArguments(text, &pos, &command.args))
                return false;
        }
        while (pos < text.size() && text[pos] == ' ')
            ++pos;
        if (pos >= text.size() || text[pos] != ']')
            return false;
        ++pos;
        commands->push_back(command);
    }
}

static bool EndsWithExecutable(const std::string& text) {
    static const char* const kExtensions[] = {".exe", ".com", ".bat", ".cmd", ".pif"};
    if (text.size() < 4)
        return false;
    for (const char* extension : kExtensions)
        if (SameName(text.substr(text.size() - 4), extension))
            return true;
    return false;
}

std::string ProgramOfCommandLine(const std::string& commandLine) {
    std::string line = Trim(commandLine);
    if (!line.empty() && line[0] == '"') {
        size_t close = line.find('"', 1);
        return close == std::string::npos ? line.substr(1) : line.substr(1, close - 1);
    }
    for (size_t blank = line.find(' '); blank != std::string::npos; blank = line.find(' ', blank + 1))
        if (EndsWithExecutable(line.substr(0, blank)))
            return line.substr(0, blank);
    if (EndsWithExecutable(line))
        return line;
    return line.substr(0, line.find(' '));
}

std::string DirectoryOf(const std::string& path) {
    size_t slash = path.find_last_of("\\/");
    if (slash == std::string::npos)
        return "";
    if (slash == 2 && path[1] == ':')
        return path.substr(0, 3);
    return path.substr(0, slash);
}

static std::string BaseNameWithoutExtension(const std::string& path) {
    size_t slash = path.find_last_of("\\/:");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

Group* Manager::Find(const std::string& name) {
    for (Group& group : groups)
        if (SameName(group.name, name))
            return &group;
    return nullptr;
}

static std::string Arg(const Command& command, size_t i) {
    return i < command.args.size() ? command.args[i] : std::string();
}

static std::string GroupFileName(const std::string& dir, const std::string& name) {
    std::string stem;
    for (char c : name)
        if (stem.size() < 8 && ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')))
            stem += (char)((c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c);
    if (stem.empty())
        stem = "GROUP";
    return dir + "\\" + stem + ".GRP";
}

static bool CreateGroup(Manager* m, const Command& command) {
    std::string name = Arg(command, 0);
    if (m->refuseCreate || name.empty())
        return false;
    if (Group* existing = m->Find(name)) {
        m->active = existing->name;
        return true;
    }
    Group group;
    group.name = name;
    group.groupFile = Arg(command, 1).empty() ? GroupFileName(m->groupDir, name) : Arg(command, 1);
    m->groups.push_back(group);
    m->active = name;
    return true;
}

static bool ShowGroup(Manager* m, const Command& command) {
    Group* group = m->Find(Arg(command, 0));
    if (!group || Arg(command, 1).empty())
        return false;
    group->showCommand = atoi(Arg(command, 1).c_str());
    m->active = group->name;
    return true;
}

static bool AddItem(Manager* m, const Command& command) {
    Group* group = m->Find(m->active);
    std::string line = Arg(command, 0);
    if (!group || line.empty())
        return false;
    std::string program = ProgramOfCommandLine(line);
    Item item;
    item.commandLine = line;
    item.name = Arg(command, 1).empty() ? BaseNameWithoutExtension(program) : Arg(command, 1);
    item.iconPath = Arg(command, 2).empty() ? program : Arg(command, 2);
    item.iconIndex = atoi(Arg(command, 3).c_str());
    size_t slot = group->items.size();
    if (group->replaceAt >= 0 && (size_t)group->replaceAt <= slot)
        slot = (size_t)group->replaceAt;
    group->replaceAt = -1;
    bool placed = !Arg(command, 4).empty() && !Arg(command, 5).empty();
    item.x = placed ? atoi(Arg(command, 4).c_str()) : 16 + 80 * (int)(slot % 4);
    item.y = placed ? atoi(Arg(command, 5).c_str()) : 16 + 72 * (int)(slot / 4);
    item.defaultDir = Arg(command, 6).empty() ? DirectoryOf(program) : Arg(command, 6);
    item.hotKey = atoi(Arg(command, 7).c_str());
    item.minimize = atoi(Arg(command, 8).c_str()) ? 1 : 0;
    group->items.insert(group->items.begin() + (long)slot, item);
    return true;
}

// Deletes the named item of the active group; its slot is returned.
static int DeleteNamedItem(Manager* m, const std::string& name) {
    Group* group = m->Find(m->active);
    if (!group)
        return -1;
    for (size_t i = 0; i < group->items.size(); ++i) {
        if (SameName(group->items[i].name, name)) {
            group->items.erase(group->items.begin() + (long)i);
            if (group->replaceAt > (int)i)
                --group->replaceAt;
            return (int)i;
        }
    }
    return -1;
}

static bool DeleteGroup(Manager* m, const Command& command) {
    for (size_t i = 0; i < m->groups.size(); ++i) {
        if (SameName(m->groups[i].name, Arg(command, 0))) {
            if (SameName(m->active, m->groups[i].name))
                m->active.clear();
            m->groups.erase(m->groups.begin() + (long)i);
            return true;
        }
    }
    return false;
}

bool Manager::Run(const Command& command) {
    const std::string& verb = command.verb;
    if (SameName(verb, "CreateGroup"))
        return CreateGroup(this, command);
    if (SameName(verb, "ShowGroup"))
        return ShowGroup(this, command);
    if (SameName(verb, "AddItem"))
        return AddItem(this, command);
    if (SameName(verb, "ReplaceItem")) {
        int slot = DeleteNamedItem(this, Arg(command, 0));
        if (slot < 0)
            return false;
        Find(active)->replaceAt = slot;
        return true;
    }
    if (SameName(verb, "DeleteItem"))
        return DeleteNamedItem(this, Arg(command, 0)) >= 0;
    if (SameName(verb, "DeleteGroup"))
        return DeleteGroup(this, command);
    return false;
}

bool Manager::Execute(const std::string& text) {
    std::vector<Command> commands;
    if (!ParseExecute(text, &commands))
        return false;
    for (const Command& command : commands)
        if (!Run(command))
            return false;
    return true;
}

std::string Manager::Describe(const Group& group) const {
    std::ostringstream out;
    out << '"' << group.name << "\"," << group.groupFile << ',' << group.items.size() << ','
        << group.showCommand << "\r\n";
    for (const Item& item : group.items)
        out << '"' << item.name << "\",\"" << item.commandLine << "\"," << item.defaultDir << ','
            << item.iconPath << ',' << item.x << ',' << item.y << ',' << item.iconIndex << ',' << item.hotKey
            << ',' << item.minimize << "\r\n";
    return out.str();
}

bool Manager::Request(const std::string& item, std::string* answer) const {
    if (SameName(item, "Groups") || SameName(item, "PROGMAN")) {
        answer->clear();
        for (const Group& group : groups)
            *answer += group.name + "\r\n";
        return true;
    }
    for (const Group& group : groups) {
        if (SameName(group.name, item)) {
            *answer = Describe(group);
            return true;
        }
    }
    return false;
}

// State file: tab-separated lines "active", "group" and "item" (items follow their group).
std::string Manager::Save() const {
    std::ostringstream out;
    out << "active\t" << active << "\n";
    for (const Group& g : groups) {
        out << "group\t" << g.name << '\t' << g.groupFile << '\t' << g.showCommand << '\t' << g.replaceAt
            << "\n";
        for (const Item& i : g.items)
            out << "item\t" << i.name << '\t' << i.commandLine << '\t' << i.defaultDir << '\t' << i.iconPath
                << '\t' << i.iconIndex << '\t' << i.x << '\t' << i.y << '\t' << i.hotKey << '\t' << i.minimize
                << "\n";
    }
    return out.str();
}

static std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::string field;
    std::istringstream in(line);
    while (std::getline(in, field, '\t'))
        fields.push_back(field);
    if (!line.empty() && line.back() == '\t')
        fields.push_back("");
    return fields;
}

bool Manager::Load(const std::string& text) {
    groups.clear();
    active.clear();
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::vector<std::string> f = Fields(line);
        if (f.size() == 2 && f[0] == "active") {
            active = f[1];
        } else if (f.size() == 5 && f[0] == "group") {
            Group g;
            g.name = f[1];
            g.groupFile = f[2];
            g.showCommand = atoi(f[3].c_str());
            g.replaceAt = atoi(f[4].c_str());
            groups.push_back(g);
        } else if (f.size() == 10 && f[0] == "item" && !groups.empty()) {
            Item i;
            i.name = f[1];
            i.commandLine = f[2];
            i.defaultDir = f[3];
            i.iconPath = f[4];
            i.iconIndex = atoi(f[5].c_str());
            i.x = atoi(f[6].c_str());
            i.y = atoi(f[7].c_str());
            i.hotKey = atoi(f[8].c_str());
            i.minimize = atoi(f[9].c_str());
            groups.back().items.push_back(i);
        } else if (!line.empty()) {
            return false;
        }
    }
    return true;
}

} // namespace progman
