// The Program Manager group description parser: well-formed replies, and every
// way a reply can fall short of what its first line promises.
#include "history/groupdesc.h"
#include "shell/progman.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

namespace {

const char kHeader[] = "\"ZEL Vantorix\",C:\\WINDOWS\\ZELVANTO.GRP,3,1\r\n";
const char kApp[] = "\"ZEL Vantorix v1.23\",\"C:\\VANTRX\\VANTRX32.EXE\",C:\\VANTRX,C:\\VANTRX\\VANTRX32.EXE,"
                    "0,0,0,0,0\r\n";
const char kUninstall[] = "\"UnInstall\",\"C:\\WINDOWS\\ZELUNINS.EXE -uninstall\",C:\\WINDOWS,"
                          "C:\\WINDOWS\\ZELUNINS.EXE,75,0,1,0,0\r\n";
const char kReadMe[] = "\"ReadMe\",\"C:\\WINDOWS\\NOTEPAD.EXE C:\\VANTRX\\read.me\",C:\\WINDOWS,"
                       "C:\\WINDOWS\\NOTEPAD.EXE,150,0,0,0,0\r\n";

struct Expected {
    const char* name;
    const char* commandLine;
    const char* defaultDir;
    const char* iconPath;
    const char* iconIndex;
};

const Expected kAppItem = {"ZEL Vantorix v1.23", "C:\\VANTRX\\VANTRX32.EXE", "C:\\VANTRX",
                           "C:\\VANTRX\\VANTRX32.EXE", "0"};
const Expected kUninstallItem = {"UnInstall", "C:\\WINDOWS\\ZELUNINS.EXE -uninstall", "C:\\WINDOWS",
                                 "C:\\WINDOWS\\ZELUNINS.EXE", "1"};
const Expected kReadMeItem = {"ReadMe", "C:\\WINDOWS\\NOTEPAD.EXE C:\\VANTRX\\read.me", "C:\\WINDOWS",
                              "C:\\WINDOWS\\NOTEPAD.EXE", "0"};

// Parses a copy of text held in a buffer exactly as long as the text, so that
// a read past the end shows up under a memory checker, and behind it a guard
// zone that must stay untouched.
struct Parsed {
    int stated = 0;
    int count = 0;
    std::vector<GroupItem> items;
    std::vector<char> buffer;
    bool guardIntact = true;
};

Parsed Parse(const std::string& text, int capacity = 64) {
    Parsed p;
    const size_t guard = 16;
    p.buffer.assign(text.size() + guard, '\x5a');
    memcpy(p.buffer.data(), text.data(), text.size());
    p.stated = GroupItemCount(p.buffer.data(), text.size());
    p.items.assign(capacity > 0 ? capacity : 1, GroupItem{});
    p.count = ParseGroupDescription(p.buffer.data(), text.size(), p.items.data(), capacity);
    for (size_t i = text.size(); i < p.buffer.size(); ++i)
        if (p.buffer[i] != '\x5a')
            p.guardIntact = false;
    return p;
}

void ExpectItem(const GroupItem& item, const Expected& e) {
    EXPECT_STREQ(item.name, e.name);
    EXPECT_STREQ(item.commandLine, e.commandLine);
    EXPECT_STREQ(item.defaultDir, e.defaultDir);
    EXPECT_STREQ(item.iconPath, e.iconPath);
    EXPECT_STREQ(item.iconIndex, e.iconIndex);
}

std::string Header(int count) {
    return "\"ZEL Vantorix\",C:\\WINDOWS\\ZELVANTO.GRP," + std::to_string(count) + ",1\r\n";
}

TEST(GroupDescription, ThreeItemsInOrder) {
    Parsed p = Parse(std::string(kHeader) + kApp + kUninstall + kReadMe);
    EXPECT_EQ(p.stated, 3);
    ASSERT_EQ(p.count, 3);
    ExpectItem(p.items[0], kAppItem);
    ExpectItem(p.items[1], kUninstallItem);
    ExpectItem(p.items[2], kReadMeItem);
    EXPECT_TRUE(p.guardIntact);
}

TEST(GroupDescription, LastLineWithoutLineEnd) {
    std::string last = kReadMe;
    last.resize(last.size() - 2);
    Parsed p = Parse(std::string(kHeader) + kApp + kUninstall + last);
    ASSERT_EQ(p.count, 3);
    ExpectItem(p.items[2], kReadMeItem);
}

TEST(GroupDescription, ItemLineEndingAfterTheIconIndex) {
    // The hot key and minimise fields left out: the icon index ends at the line end.
    Parsed p =
        Parse(Header(2) + "\"A\",\"a.exe\",C:\\A,a.ico,0,0,7\r\n\"B\",\"b.exe\",C:\\B,b.ico,0,0,8\r\n");
    ASSERT_EQ(p.count, 2);
    EXPECT_STREQ(p.items[0].iconIndex, "7");
    EXPECT_STREQ(p.items[1].name, "B");
    EXPECT_STREQ(p.items[1].iconIndex, "8");
}

TEST(GroupDescription, EmptyFieldsAndAnEmptyGroup) {
    Parsed p = Parse(Header(1) + "\"N\",\"\",,,,,,,\r\n");
    ASSERT_EQ(p.count, 1);
    EXPECT_STREQ(p.items[0].name, "N");
    EXPECT_STREQ(p.items[0].commandLine, "");
    EXPECT_STREQ(p.items[0].defaultDir, "");
    EXPECT_STREQ(p.items[0].iconIndex, "");

    Parsed empty = Parse(Header(0));
    EXPECT_EQ(empty.stated, 0);
    EXPECT_EQ(empty.count, 0);
}

// Replies that fall short: the parse takes the complete items it finds and
// never more than the count, the capacity or the text allow.
TEST(GroupDescription, ShortAndDamagedReplies) {
    std::string full = std::string(kHeader) + kApp + kUninstall + kReadMe;
    std::string app = kApp;
    struct Case {
        std::string text;
        int stated; // GroupItemCount
        int parsed; // ParseGroupDescription with room for 64
    } cases[] = {
        {"", 0, 0},                                                    // no reply at all
        {"\"", 0, 0},                                                  // one byte
        {"\"ZEL Vantorix", 0, 0},                                      // cut in the group name
        {"\"ZEL Vantorix\",C:\\WINDOWS\\ZELVANTO.GRP,3", 0, 0},        // cut in the count
        {std::string(kHeader), 0, 0},                                  // count 3, no item line
        {std::string(kHeader) + kApp, 3, 1},                           // fewer lines than stated
        {std::string(kHeader) + kApp + kUninstall, 3, 2},              //
        {full.substr(0, full.size() - 12), 3, 2},                      // last line cut
        {std::string(kHeader) + app.substr(0, app.size() - 11), 3, 0}, // cut before the icon index
        {Header(2) + "ZEL Vantorix v1.23,C:\\VANTRX\\VANTRX32.EXE,C:\\VANTRX,x,0,0,0,0,0\r\n", 2,
         0}, // no quotes
        {Header(2) + "\"ZEL Vantorix v1.23,C:\\VANTRX\\VANTRX32.EXE,C:\\VANTRX,x,0,0,0,0,0\r\n" + kUninstall,
         2, 0},                                                      // name quote never closed on its line
        {Header(2) + "\"A\",C:\\A.EXE,C:\\A,x,0,0,0,0,0\r\n", 2, 0}, // command line without quotes
        {Header(2) + "\"A\",\"a.exe\"C:\\A,x,0,0,0,0,0\r\n", 2, 0},  // no comma after the command line
        {Header(2) + "\"A\",\"a.exe\",C:\\A,x,0\r\n" + kUninstall, 2,
         0},                                             // line ends before the position fields
        {Header(1) + kApp + kUninstall + kReadMe, 1, 1}, // more lines than stated
        {"\"ZEL Vantorix\",C:\\WINDOWS\\ZELVANTO.GRP,x,1\r\n" + app, 0, 0}, // count not a number
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        Parsed p = Parse(cases[i].text);
        EXPECT_EQ(p.stated, cases[i].stated);
        EXPECT_EQ(p.count, cases[i].parsed);
        EXPECT_TRUE(p.guardIntact);
        if (p.count >= 1)
            ExpectItem(p.items[0], kAppItem);
    }
}

TEST(GroupDescription, StatedCountBoundedByTheText) {
    struct Case {
        std::string text;
        int stated;
    } cases[] = {
        {Header(400000000) + kApp, (int)(strlen(kApp) / kMinItemChars)},
        {"\"G\",p,99999999999999999999,1\r\n" + std::string(kApp), (int)(strlen(kApp) / kMinItemChars)},
        {Header(2) + "\"\",\"\",,,,,\r\n\"\",\"\",,,,,\r\n", 2}, // two shortest items: 10 characters each
        {Header(3) + "\"\",\"\",,,,,\r\n\"\",\"\",,,,,\r\n", 2},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        Parsed p = Parse(cases[i].text);
        EXPECT_EQ(p.stated, cases[i].stated);
        EXPECT_LE(p.count, p.stated);
    }
    Parsed shortest = Parse(Header(2) + "\"\",\"\",,,,,\r\n\"\",\"\",,,,,\r\n");
    EXPECT_EQ(shortest.count, 2);
}

TEST(GroupDescription, CapacityLimitsTheItemsWritten) {
    Parsed p = Parse(std::string(kHeader) + kApp + kUninstall + kReadMe, 2);
    EXPECT_EQ(p.count, 2);
    ExpectItem(p.items[1], kUninstallItem);
    Parsed none = Parse(std::string(kHeader) + kApp, 0);
    EXPECT_EQ(none.count, 0);
}

// A reply that filled the whole request buffer: the parse stops at the last
// complete item and keeps away from the cut one.
TEST(GroupDescription, ReplyCutAtTheBufferSize) {
    std::string text = Header(200);
    int lines = 0;
    while (text.size() < kGroupDescriptionSize) {
        text += kUninstall;
        ++lines;
    }
    size_t completeBytes = Header(200).size() + (size_t)(lines - 1) * strlen(kUninstall);
    text.resize(kGroupDescriptionSize);
    ASSERT_GT(text.size(), completeBytes);
    ASSERT_LT(text.size(), completeBytes + strlen(kUninstall) - 2);
    Parsed p = Parse(text, 200);
    EXPECT_EQ(p.count, lines - 1);
    EXPECT_TRUE(p.guardIntact);
    ExpectItem(p.items[p.count - 1], kUninstallItem);

    // Cut inside the icon index of the last line: "75,0,1" would read as a
    // whole index, so the cut item must not be taken.
    std::string cut = Header(2) + kApp + std::string(kUninstall).substr(0, strlen(kUninstall) - 6);
    ASSERT_EQ(cut.substr(cut.size() - 5), "5,0,1");
    Parsed q = Parse(cut);
    EXPECT_EQ(q.count, 1);
}

} // namespace
