#include "progmanserver.h"

#include <cstdio>
#include <fstream>
#include <sstream>

std::string ToolPath(const char* name) {
    char self[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, self, sizeof self);
    std::string path(self, length);
    // Tests live in build/<arch>/tests/, tools in build/<arch>/tools/<name>/.
    for (int up = 0; up < 2; ++up)
        path = path.substr(0, path.find_last_of('\\'));
    return path + "\\tools\\" + name + "\\" + name + ".exe";
}

bool TouchFile(const std::string& path) {
    FILE* file = fopen(path.c_str(), "wb");
    if (!file)
        return false;
    fclose(file);
    return true;
}

ProgmanServer::ProgmanServer(const std::string& dir)
    : logPath(dir + "\\progman.log"), statePath(dir + "\\progman.state"), dir_(dir) {}

ProgmanServer::~ProgmanServer() {
    Stop();
}

bool ProgmanServer::Start(const std::string& extraOptions) {
    Stop();
    std::string ready = dir_ + "\\progman.ready", stop = dir_ + "\\progman.stop";
    DeleteFileA(ready.c_str());
    DeleteFileA(stop.c_str());
    std::string command = "\"" + ToolPath("progman") + "\" --log \"" + logPath + "\" --state \"" + statePath +
                          "\" --ready \"" + ready + "\" --stop \"" + stop + "\" --timeout 120000 " +
                          extraOptions;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    std::vector<char> line(command.begin(), command.end());
    line.push_back('\0');
    if (!CreateProcessA(NULL, line.data(), NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process_))
        return false;
    for (int waited = 0; waited < 20000; waited += 20) {
        if (GetFileAttributesA(ready.c_str()) != INVALID_FILE_ATTRIBUTES)
            return true;
        if (WaitForSingleObject(process_.hProcess, 20) == WAIT_OBJECT_0)
            break;
    }
    Stop();
    return false;
}

void ProgmanServer::Stop() {
    if (!process_.hProcess)
        return;
    TouchFile(dir_ + "\\progman.stop");
    if (WaitForSingleObject(process_.hProcess, 10000) != WAIT_OBJECT_0)
        TerminateProcess(process_.hProcess, 1);
    CloseHandle(process_.hProcess);
    CloseHandle(process_.hThread);
    process_ = {};
}

std::vector<std::string> ProgmanServer::LogLines() const {
    std::vector<std::string> lines;
    std::ifstream in(logPath.c_str(), std::ios::binary);
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

std::vector<std::string> ProgmanServer::Executed() const {
    std::vector<std::string> commands;
    for (const std::string& line : LogLines())
        if (line.compare(0, 8, "EXECUTE ") == 0)
            commands.push_back(line.substr(8));
        else if (line.compare(0, 15, "EXECUTE-FAILED ") == 0)
            commands.push_back(line.substr(15));
    return commands;
}

int ProgmanServer::Count(const std::string& prefix) const {
    int count = 0;
    for (const std::string& line : LogLines())
        if (line.compare(0, prefix.size(), prefix) == 0 &&
            (line.size() == prefix.size() || line[prefix.size()] == ' '))
            ++count;
    return count;
}
