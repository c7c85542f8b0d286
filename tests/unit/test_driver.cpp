// The driver check on real ZELSCSI.MPD files in a test Windows directory and
// install directory; the message boxes are recorded.
#include "app/state.h"
#include "app/text.h"
#include "install/driver.h"
#include "install/stamp.h"

#include "boxscript.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const char kMissing[] =
    "There is no ZEL driver installed on your system.\n\nYou must install the ZEL driver by "
    "choosing\nSystem in the Control Panel.";
const char kIncompatible[] =
    "The ZEL driver installed on your system (v%s) is\nincompatible with Vantorix.\n\n"
    "The ZEL driver included with Vantorix\n(v%s) is not Microsoft-certified.  "
    "However,\nit has been tested and certified by ZEL.\n\nYou must install the ZEL "
    "driver by choosing\nSystem in the Control Panel.";
const char kOlder[] =
    "The ZEL driver installed on your system (v%s) is older\nthan the driver included with "
    "Vantorix (v%s).\n\nThe ZEL driver included with Vantorix is not\nMicrosoft-certified.  "
    "However, it has been tested and\ncertified by ZEL.\n\nYou must install the ZEL driver "
    "by choosing\nSystem in the Control Panel.";

std::string Message(int status, const char* installed, const char* included) {
    char text[1024];
    if (status == kDriverMissing)
        return kMissing;
    snprintf(text, sizeof text, status == kDriverIncompatible ? kIncompatible : kOlder, installed, included);
    return text;
}

// Driver file contents: a stamp of the given version ("" for a file without one).
std::string DriverFile(const char* version) {
    std::string data(2048, '\x11');
    if (!*version)
        return data;
    std::string block((const char*)ownVersionStamp, kStampSize);
    int major = atoi(version);
    const char* point = strchr(version, '.');
    block[kStampMajor] = (char)major;
    block[kStampMinor1] = point[1];
    block[kStampMinor2] = point[2];
    return data + block + data;
}

const char* const kNoFile = nullptr;

class DriverCheck : public testing::Test {
  protected:
    void SetUp() override {
        ResetAppState();
        g.osKind = kOsWin95;
        CopyText(g.caption, sizeof g.caption, "ZEL Vantorix Setup");
        install_ = MakeTempDir("drvinst");
        windows_ = MakeTempDir("drvwin");
        ASSERT_TRUE(CopyText(g.installDir, sizeof g.installDir, install_.c_str()));
        ASSERT_TRUE(CopyText(g.windowsDir, sizeof g.windowsDir, windows_.c_str()));
        ASSERT_TRUE(CreateDirectoryA((windows_ + "\\SYSTEM").c_str(), NULL));
        ASSERT_TRUE(CreateDirectoryA((windows_ + "\\SYSTEM\\IOSUBSYS").c_str(), NULL));
        g.mainWindow = CreateWindowExA(0, "STATIC", "main", WS_POPUP, 0, 0, 10, 10, NULL, NULL, NULL, NULL);
    }
    void TearDown() override {
        DestroyWindow(g.mainWindow);
        RemoveTree(install_);
        RemoveTree(windows_);
    }
    void Place(const char* system, const char* included) {
        std::string systemPath = windows_ + "\\SYSTEM\\IOSUBSYS\\ZELSCSI.MPD";
        std::string includedPath = install_ + "\\ZELSCSI.MPD";
        DeleteFileA(systemPath.c_str());
        DeleteFileA(includedPath.c_str());
        if (system) {
            ASSERT_TRUE(WriteWholeFile(systemPath, DriverFile(system)));
        }
        if (included) {
            ASSERT_TRUE(WriteWholeFile(includedPath, DriverFile(included)));
        }
    }
    std::string install_, windows_;
};

TEST_F(DriverCheck, EachStatusWithItsMessage) {
    struct {
        const char* system;   // nullptr: no file; "": a file without a stamp
        const char* included; // same
        int status;
        const char* shownInstalled;
        const char* shownIncluded;
    } cases[] = {
        {kNoFile, "1.K2", kDriverMissing, "", ""},
        {kNoFile, kNoFile, kDriverMissing, "", ""},
        {"1.K2", "1.K2", kDriverOk, "", ""},
        {"1.k2", "1.K2", kDriverOk, "", ""},
        {"1.K5", "1.M0", kDriverOlder, "1.K5", "1.M0"},
        {"1.J9", "1.A0", kDriverIncompatible, "1.J9", "1.A0"},
        {"1.J9", "1.M0", kDriverIncompatible, "1.J9", "1.M0"},
        {"1.99", "1.K2", kDriverIncompatible, "1.99", "1.K2"},
        {"2.00", "10.00", kDriverOk, "", ""},
        {"", "1.K2", kDriverIncompatible, "", "1.K2"}, // unstamped system driver
        {"1.K2", "", kDriverOk, "", ""},               // unstamped included driver
        {"1.K2", kNoFile, kDriverOk, "", ""},
        {"", "", kDriverIncompatible, "", ""},
        {"1.M0", "1.K5", kDriverOk, "", ""},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(testing::Message() << i << ": " << (cases[i].system ? cases[i].system : "(none)")
                                        << " vs " << (cases[i].included ? cases[i].included : "(none)"));
        Place(cases[i].system, cases[i].included);
        BoxScript boxes;
        CheckDriverVersion();
        if (cases[i].status == kDriverOk) {
            EXPECT_TRUE(boxes.boxes.empty());
            continue;
        }
        ASSERT_EQ(boxes.boxes.size(), 1u);
        EXPECT_EQ(boxes.boxes[0].text,
                  Message(cases[i].status, cases[i].shownInstalled, cases[i].shownIncluded));
        EXPECT_EQ(boxes.boxes[0].caption, "ZEL Vantorix Setup");
        EXPECT_EQ(boxes.boxes[0].icon, (UINT)MB_ICONEXCLAMATION);
        EXPECT_EQ(boxes.boxes[0].buttons, (UINT)MB_OK);
        EXPECT_EQ(boxes.boxes[0].owner, g.mainWindow);
    }
}

TEST(DriverStatus, Table) {
    struct {
        int present;
        const char* installed;
        const char* included;
        int status;
    } cases[] = {
        {0, "", "1.K2", kDriverMissing},
        {0, "9.99", "1.K2", kDriverMissing},
        {1, "1.K2", "1.K2", kDriverOk},
        {1, "1.k2", "1.K2", kDriverOk},
        {1, "1.K5", "1.M0", kDriverOlder},
        {1, "1.J9", "0.00", kDriverIncompatible},
        {1, "1.99", "1.K2", kDriverIncompatible},
        {1, "2.00", "10.00", kDriverOk},
        {1, "", "", kDriverIncompatible},
        {1, "1.K3", "1.k4", kDriverOlder},
        {1, "1.K2", "", kDriverOk},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(DriverStatus(cases[i].present, cases[i].installed, cases[i].included), cases[i].status);
    }
}

TEST(DriverMessage, TextsAndBounds) {
    char text[1024];
    for (int status : {kDriverMissing, kDriverIncompatible, kDriverOlder}) {
        SCOPED_TRACE(status);
        memset(text, 0xcc, sizeof text);
        ASSERT_EQ(FormatDriverMessage(status, "1.J9", "1.M0", text, sizeof text), 1);
        EXPECT_EQ(std::string(text), Message(status, "1.J9", "1.M0"));
    }
    EXPECT_EQ(FormatDriverMessage(kDriverOk, "1.K2", "1.K2", text, sizeof text), 0);
    EXPECT_EQ(FormatDriverMessage(4, "1.K2", "1.K2", text, sizeof text), 0);
    char small[40];
    EXPECT_EQ(FormatDriverMessage(kDriverOlder, "1.K5", "1.M0", small, sizeof small), 0);
    EXPECT_STREQ(small, "");
}

TEST_F(DriverCheck, ShowDriverMessageOnlyForItsThreeStatuses) {
    BoxScript boxes;
    ShowDriverMessage(kDriverOlder, "1.K5", "1.M0");
    ShowDriverMessage(kDriverOk, "1.K5", "1.M0");
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, Message(kDriverOlder, "1.K5", "1.M0"));
}

} // namespace
