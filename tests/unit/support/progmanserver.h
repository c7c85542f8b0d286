// Test helper: runs the test Program Manager (tools/progman/progman.exe, a
// DDEML server PROGMAN of ours) as a child process with its own log and state
// files, and reads back what it recorded. Wine has no Program Manager that
// describes groups, so this stands in for it (see tools/progman/main.cpp).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class ProgmanServer {
  public:
    // dir holds the log ("progman.log"), state, ready and stop files.
    explicit ProgmanServer(const std::string& dir);
    ~ProgmanServer();

    // Starts the server with extra options ("--refuse-create", ...) and waits
    // until it is registered. False when it could not be started.
    bool Start(const std::string& extraOptions = "");
    // Asks the server to end and waits for it (killed after 10 s).
    void Stop();

    // Every line of the log, and the texts of every execute (accepted or
    // refused) in the order they arrived.
    std::vector<std::string> LogLines() const;
    std::vector<std::string> Executed() const;
    // Number of log lines that start with prefix ("CONNECT", "EXECUTE-FAILED"...).
    int Count(const std::string& prefix) const;

    std::string logPath, statePath;

  private:
    std::string dir_;
    PROCESS_INFORMATION process_ = {};
};

// Full path of a tool built beside the tests: build/<arch>/tools/<name>/<name>.exe.
std::string ToolPath(const char* name);

// Creates (or empties) a file; true on success.
bool TouchFile(const std::string& path);
