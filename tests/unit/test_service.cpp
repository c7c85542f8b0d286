// The logger service against Wine's own service control manager, with our
// ZELSERV.EXE (tools/zelserv) as the real service program.
#include "app/state.h"
#include "ntconfig/service.h"

#include "boxscript.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string ModuleDirectory() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, path, sizeof path);
    std::string module(path, length);
    return module.substr(0, module.find_last_of('\\'));
}

// build/<arch>/tests/test_service.exe -> build/<arch>/tools/zelserv/ZELSERV.EXE
std::string BuiltServiceProgram() {
    return ModuleDirectory() + "\\..\\tools\\zelserv\\ZELSERV.EXE";
}

struct ServiceConfig {
    bool found = false;
    DWORD type = 0, start = 0, errorControl = 0;
    std::string binary, display, group, dependencies, account;
};

ServiceConfig QueryConfig() {
    ServiceConfig config;
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    SC_HANDLE service = manager ? OpenServiceA(manager, "ZELSRV", SERVICE_QUERY_CONFIG) : NULL;
    union {
        QUERY_SERVICE_CONFIGA config;
        BYTE bytes[8192];
    } buffer;
    DWORD needed = 0;
    if (service && QueryServiceConfigA(service, &buffer.config, sizeof buffer, &needed)) {
        config.found = true;
        config.type = buffer.config.dwServiceType;
        config.start = buffer.config.dwStartType;
        config.errorControl = buffer.config.dwErrorControl;
        config.binary = buffer.config.lpBinaryPathName ? buffer.config.lpBinaryPathName : "";
        config.display = buffer.config.lpDisplayName ? buffer.config.lpDisplayName : "";
        config.group = buffer.config.lpLoadOrderGroup ? buffer.config.lpLoadOrderGroup : "";
        config.dependencies = buffer.config.lpDependencies ? buffer.config.lpDependencies : "";
        config.account = buffer.config.lpServiceStartName ? buffer.config.lpServiceStartName : "";
    }
    if (service)
        CloseServiceHandle(service);
    if (manager)
        CloseServiceHandle(manager);
    return config;
}

// Current state of ZELSRV, 0 when it cannot be queried (absent).
DWORD QueryState() {
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    SC_HANDLE service = manager ? OpenServiceA(manager, "ZELSRV", SERVICE_QUERY_STATUS) : NULL;
    SERVICE_STATUS status;
    DWORD state = 0;
    if (service && QueryServiceStatus(service, &status))
        state = status.dwCurrentState;
    if (service)
        CloseServiceHandle(service);
    if (manager)
        CloseServiceHandle(manager);
    return state;
}

// Waits up to 15 s for ZELSRV to reach state (0: be gone). True when it did.
bool WaitForState(DWORD state) {
    for (int waited = 0; waited < 15000; waited += 50) {
        if (QueryState() == state)
            return true;
        Sleep(50);
    }
    return QueryState() == state;
}

class LoggerService : public testing::Test {
  protected:
    void SetUp() override {
        ResetAppState();
        ForgetService();
        first_ = InstallDirectory("first");
        second_ = InstallDirectory("second");
    }
    void TearDown() override {
        ForgetService();
        EXPECT_FALSE(QueryConfig().found);
        RemoveTree(first_);
        RemoveTree(second_);
    }

    // A directory holding the service program, like an installation.
    std::string InstallDirectory(const char* tag) {
        std::string dir = MakeTempDir(tag);
        EXPECT_TRUE(CopyFileA(BuiltServiceProgram().c_str(), (dir + "\\ZELSERV.EXE").c_str(), FALSE))
            << BuiltServiceProgram();
        return dir;
    }

    // Stops and deletes any ZELSRV and waits until it is gone.
    void ForgetService() {
        RemoveLoggerService();
        ASSERT_TRUE(WaitForState(0)) << "ZELSRV did not go away";
    }

    std::string first_, second_;
};

TEST_F(LoggerService, FirstInstallCreatesWithoutStarting) {
    ASSERT_EQ(LoggerServiceRunning(), 0);
    g.loggerWasRunning = 0;
    CreateLoggerService(first_.c_str());
    ServiceConfig config = QueryConfig();
    ASSERT_TRUE(config.found);
    EXPECT_EQ(config.type, (DWORD)SERVICE_WIN32_OWN_PROCESS);
    EXPECT_EQ(config.start, (DWORD)SERVICE_AUTO_START);
    EXPECT_EQ(config.errorControl, (DWORD)SERVICE_ERROR_NORMAL);
    EXPECT_EQ(config.binary, first_ + "\\ZELSERV.EXE");
    EXPECT_EQ(config.display, "ZELSRV");
    EXPECT_EQ(config.group, "");
    EXPECT_EQ(config.dependencies, "");
    EXPECT_EQ(config.account, "LocalSystem");
    Sleep(500); // a start, had there been one, would be under way by now
    EXPECT_EQ(QueryState(), (DWORD)SERVICE_STOPPED);
    EXPECT_EQ(LoggerServiceRunning(), 0);
}

TEST_F(LoggerService, RunningQueryFollowsTheState) {
    EXPECT_EQ(LoggerServiceRunning(), 0); // absent
    ASSERT_EQ(CreateLoggerServiceEntry(first_.c_str()), 0u);
    EXPECT_EQ(LoggerServiceRunning(), 0); // stopped
    StartLoggerService();
    ASSERT_TRUE(WaitForState(SERVICE_RUNNING));
    EXPECT_EQ(LoggerServiceRunning(), 1);
}

TEST_F(LoggerService, RunningAtStartUpIsStartedAfterCreation) {
    // The logger of an earlier installation runs when the program starts.
    ASSERT_EQ(CreateLoggerServiceEntry(first_.c_str()), 0u);
    StartLoggerService();
    ASSERT_TRUE(WaitForState(SERVICE_RUNNING));
    g.loggerWasRunning = LoggerServiceRunning();
    ASSERT_EQ(g.loggerWasRunning, 1);

    RemoveLoggerService();
    CreateLoggerService(second_.c_str());
    EXPECT_EQ(QueryConfig().binary, second_ + "\\ZELSERV.EXE");
    EXPECT_TRUE(WaitForState(SERVICE_RUNNING));
}

TEST_F(LoggerService, SecondCreationKeepsTheFirstBinary) {
    ASSERT_EQ(CreateLoggerServiceEntry(first_.c_str()), 0u);
    EXPECT_EQ(CreateLoggerServiceEntry(second_.c_str()), (DWORD)ERROR_SERVICE_EXISTS);
    CreateLoggerService(second_.c_str());
    EXPECT_EQ(QueryConfig().binary, first_ + "\\ZELSERV.EXE");
}

TEST_F(LoggerService, RemoveStopsAndDeletes) {
    ASSERT_EQ(CreateLoggerServiceEntry(first_.c_str()), 0u);
    StartLoggerService();
    ASSERT_TRUE(WaitForState(SERVICE_RUNNING));
    RemoveLoggerService();
    EXPECT_TRUE(WaitForState(0));
    EXPECT_FALSE(QueryConfig().found);
    // The service program has ended: its file can be deleted again.
    EXPECT_TRUE(DeleteFileA((first_ + "\\ZELSERV.EXE").c_str())) << GetLastError();
}

TEST_F(LoggerService, RemoveWithoutServiceDoesNothing) {
    RemoveLoggerService();
    EXPECT_FALSE(QueryConfig().found);
    EXPECT_EQ(LoggerServiceRunning(), 0);
}

TEST_F(LoggerService, RecreateRightAfterDeleteOfASlowService) {
    // The old logger takes 1.5 s to stop after it was told to.
    ASSERT_TRUE(WriteWholeFile(first_ + "\\ZELSERV.DLY", "1500"));
    ASSERT_EQ(CreateLoggerServiceEntry(first_.c_str()), 0u);
    StartLoggerService();
    ASSERT_TRUE(WaitForState(SERVICE_RUNNING));
    RemoveLoggerService();
    DWORD started = GetTickCount();
    EXPECT_EQ(CreateLoggerServiceEntry(second_.c_str()), 0u);
    printf("re-creation waited %lu ms for the old service\n", GetTickCount() - started);
    EXPECT_EQ(QueryConfig().binary, second_ + "\\ZELSERV.EXE");
}

TEST_F(LoggerService, RetryGivesUpOnAServiceThatStaysMarkedForDeletion) {
    ASSERT_EQ(CreateLoggerServiceEntry(first_.c_str()), 0u);
    // An open handle keeps a deleted service in the manager's database.
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_CONNECT);
    ASSERT_NE(manager, (SC_HANDLE)NULL);
    SC_HANDLE held = OpenServiceA(manager, "ZELSRV", SERVICE_QUERY_STATUS);
    ASSERT_NE(held, (SC_HANDLE)NULL);
    RemoveLoggerService();
    DWORD started = GetTickCount();
    DWORD result = CreateLoggerServiceEntry(second_.c_str());
    DWORD elapsed = GetTickCount() - started;
    printf("gave up after %lu ms\n", elapsed);
    EXPECT_EQ(result, (DWORD)ERROR_SERVICE_MARKED_FOR_DELETE);
    EXPECT_GE(elapsed, (DWORD)kServiceRetryLimitMs - 500);
    EXPECT_LT(elapsed, (DWORD)kServiceRetryLimitMs + 10000);
    CloseServiceHandle(held);
    CloseServiceHandle(manager);
    ASSERT_TRUE(WaitForState(0));
    EXPECT_EQ(CreateLoggerServiceEntry(second_.c_str()), 0u);
}

TEST_F(LoggerService, BinaryPathMustFit256Bytes) {
    const std::string suffix = "\\ZELSERV.EXE";
    std::string tooLong(256 - suffix.size(), 'd'); // 256 characters with the name
    EXPECT_EQ(CreateLoggerServiceEntry(tooLong.c_str()), (DWORD)ERROR_BAD_PATHNAME);
    EXPECT_FALSE(QueryConfig().found);
    std::string longest(255 - suffix.size(), 'd'); // exactly fits
    EXPECT_EQ(CreateLoggerServiceEntry(longest.c_str()), 0u);
    EXPECT_EQ(QueryConfig().binary, longest + suffix);
}

} // namespace
