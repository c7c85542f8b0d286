// The group model of the test Program Manager: parses and executes the
// documented DDE command strings, describes groups in the published text
// format, and keeps the groups in a state file between runs. No window or DDE
// code here, so it can be exercised on its own.
#pragma once

#include <string>
#include <vector>

namespace progman {

struct Item {
    std::string name;
    std::string commandLine;
    std::string defaultDir;
    std::string iconPath;
    int iconIndex = 0;
    int x = 0, y = 0;
    int hotKey = 0;
    int minimize = 0;
};

struct Group {
    std::string name;
    std::string groupFile;
    int showCommand = 1;
    std::vector<Item> items;
    int replaceAt = -1; // slot left by ReplaceItem, taken by the next AddItem
};

struct Command {
    std::string verb;
    std::vector<std::string> args;
};

// Splits an execute string ("[Verb(arg, "arg", ...)][Verb2]") into commands.
// Arguments are separated by commas, may be enclosed in double quotes (which
// protect commas, brackets and parentheses) and lose their surrounding blanks.
// Returns false on a malformed string.
bool ParseExecute(const std::string& text, std::vector<Command>* commands);

// The program file of a command line: the quoted part when it starts with a
// quote, else the text up to the first blank that follows an executable
// extension (.exe .com .bat .cmd .pif), else up to the first blank.
std::string ProgramOfCommandLine(const std::string& commandLine);

// Directory part of a path, without the trailing backslash ("C:\" for a root).
std::string DirectoryOf(const std::string& path);

struct Manager {
    std::vector<Group> groups;
    std::string active;   // name of the active group
    std::string groupDir; // where group files are said to live
    bool refuseCreate = false;

    Group* Find(const std::string& name);
    // Runs one command; false when Program Manager would refuse it.
    bool Run(const Command& command);
    // Runs every command of an execute string, stopping at the first refusal.
    bool Execute(const std::string& text);
    // The text answer to a request for item: the group list for "Groups" or
    // "PROGMAN", a group's description for a group name; false when unknown.
    bool Request(const std::string& item, std::string* answer) const;
    std::string Describe(const Group& group) const;

    std::string Save() const;
    bool Load(const std::string& text);
};

// Case-insensitive equality over ASCII letters, as Program Manager compares names.
bool SameName(const std::string& a, const std::string& b);

} // namespace progman
