// mkdist's decisions without files: manifest lines, the checks against what
// the setup program can read, the placement on disks, the script text.
#include "layout.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using dist::Entry;

Entry Make(int disk, const std::string& target, uint64_t stored, uint64_t expanded = 0, bool listed = true) {
    Entry e;
    e.disk = disk;
    e.target = e.plainName = e.diskName = target;
    e.storedSize = stored;
    e.expandedSize = expanded ? expanded : stored;
    e.listed = listed;
    return e;
}

std::vector<Entry> Files(int count) {
    std::vector<Entry> v;
    for (int i = 0; i < count; ++i)
        v.push_back(Make(1, "F" + std::to_string(i) + ".DAT", 10));
    return v;
}

TEST(Manifest, ReadsFieldsFlagsAndComments) {
    const std::string text = "# a comment\r\n"
                             "\n"
                             "1 ../bin/VANTRX32.EXE VANTRX32.EXE compress\r\n"
                             "auto\t\"/tmp/with blank/msvcrt.dll\"  MSVCRT.DLL compress unlisted\n"
                             "  12 README README.TXT name=READ1.TXT\n";
    std::vector<Entry> e;
    std::string error;
    ASSERT_TRUE(dist::ParseManifest(text, &e, &error)) << error;
    ASSERT_EQ(3u, e.size());
    struct Want {
        int disk;
        const char* source;
        const char* target;
        const char* diskName;
        bool compress, listed;
        int line;
    } want[] = {
        {1, "../bin/VANTRX32.EXE", "VANTRX32.EXE", "VANTRX32.EX_", true, true, 3},
        {0, "/tmp/with blank/msvcrt.dll", "MSVCRT.DLL", "MSVCRT.DL_", true, false, 4},
        {12, "README", "README.TXT", "READ1.TXT", false, true, 5},
    };
    for (size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(want[i].disk, e[i].disk);
        EXPECT_EQ(want[i].source, e[i].source);
        EXPECT_EQ(want[i].target, e[i].target);
        EXPECT_EQ(want[i].diskName, e[i].diskName);
        EXPECT_EQ(want[i].compress, e[i].compress);
        EXPECT_EQ(want[i].listed, e[i].listed);
        EXPECT_EQ(want[i].line, e[i].line);
    }
}

TEST(Manifest, RefusesMalformedLines) {
    struct Case {
        const char* text;
        const char* message;
    } cases[] = {
        {"1 a.exe\n", "manifest line 1: expected DISK SOURCE TARGET"},
        {"\n0 a.exe A.EXE\n", "manifest line 2: disk must be 1 to 99"},
        {"100 a A\n", "disk must be 1 to 99"},
        {"x1 a A\n", "disk must be 1 to 99"},
        {"1 a A compres\n", "unknown flag \"compres\""},
        {"1 \"a A\n", "manifest line 1: unterminated quote"},
        {"1 a A name=\n", "unknown flag \"name=\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::vector<Entry> e;
        std::string error;
        EXPECT_FALSE(dist::ParseManifest(c.text, &e, &error));
        EXPECT_NE(std::string::npos, error.find(c.message)) << error;
    }
}

TEST(Check, RefusesWhatTheSetupProgramCannotRead) {
    std::string name127(123, 'N');
    name127 += ".EXE";
    std::string name128 = "N" + name127;
    struct Case {
        const char* what;
        std::string version;
        std::vector<Entry> entries;
        std::string pathname;
        const char* message; // nullptr: accepted
    } cases[] = {
        {"26 files", "1.K2", Files(26), "", nullptr},
        {"27 files", "1.K2", Files(27), "", "27 files to install: the setup program takes at most 26"},
        {"unlisted files do not count", "1.K2", Files(26), "", nullptr},
        {"no file", "1.K2", {}, "", "no file to install"},
        {"version of 4", "1.BD", Files(1), "", nullptr},
        {"version of 5", "1.BDX", Files(1), "", "must be 1 to 4 characters"},
        {"empty version", "", Files(1), "", "must be 1 to 4 characters"},
        {"version with blank", "1 K", Files(1), "", "blank"},
        {"name of 127 on the disk only", "1", {Make(1, "A", 1), Make(1, name127, 1, 0, false)}, "", nullptr},
        {"name of 128", "1", {Make(1, name128, 1)}, "", "longer than 127 characters"},
        {"blank", "1", {Make(1, "MY FILE.EXE", 1)}, "", "contains a blank or a comma"},
        {"comma", "1", {Make(1, "A,B.EXE", 1)}, "", "contains a blank or a comma"},
        {"tab", "1", {Make(1, "A\tB.EXE", 1)}, "", "control character"},
        {"quote", "1", {Make(1, "\"A.EXE\"", 1)}, "", "quote"},
        {"backslash", "1", {Make(1, "SUB\\A.EXE", 1)}, "", "path separator"},
        {"same disk name twice", "1", {Make(1, "A.EXE", 1), Make(2, "a.exe", 1)}, "", "already on a disk"},
        {"name of the setup program", "1", {Make(1, "setup.exe", 1)}, "", "already on a disk"},
        {"size over 31 bits", "1", {Make(1, "A", 1, 0x80000000u)}, "", "larger than 2147483647"},
        // The setup program reads "disk source target size" into 128 bytes.
        {"file entry of 127", "1", {Make(1, std::string(61, 'e'), 1)}, "", nullptr},
        {"file entry of 128", "1", {Make(1, std::string(61, 'e'), 10)}, "", "file entry \"1 eee"},
        {"auto entry counted with two digits",
         "1",
         {Make(0, std::string(61, 'e'), 1)},
         "",
         "longer than 127"},
        {"file entry of 128 on the disk only",
         "1",
         {Make(1, "A", 1), Make(1, std::string(61, 'e'), 10, 0, false)},
         "",
         nullptr},
        {"long autorun path", "1", Files(1), std::string(128, 'p'), "Pathname is longer than 127"},
        {"autorun path of 127", "1", Files(1), std::string(127, 'p'), nullptr},
    };
    cases[2].entries.push_back(Make(1, "MSVCRT.DL_", 5, 0, false));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string error;
        dist::Autorun autorun;
        autorun.pathname = c.pathname;
        bool ok = dist::CheckDistribution(c.version, c.entries, autorun, &error);
        if (!c.message) {
            EXPECT_TRUE(ok) << error;
        } else {
            EXPECT_FALSE(ok);
            EXPECT_NE(std::string::npos, error.find(c.message)) << error;
        }
    }
}

TEST(Check, SameTargetTwiceIsRefusedAndTheDiskNameIsChecked) {
    std::vector<Entry> twice = {Make(1, "A.EXE", 1), Make(1, "A.EXE", 1)};
    twice[1].diskName = "OTHER.EXE";
    std::string error;
    EXPECT_FALSE(dist::CheckDistribution("1", twice, {}, &error));
    EXPECT_NE(std::string::npos, error.find("installed twice")) << error;
    std::vector<Entry> badDiskName = {Make(1, "A.EXE", 1)};
    badDiskName[0].diskName = "A B.EX_";
    EXPECT_FALSE(dist::CheckDistribution("1", badDiskName, {}, &error));
    EXPECT_NE(std::string::npos, error.find("disk name \"A B.EX_\"")) << error;
}

TEST(Check, WarnsOfPathsOverTheBuffers) {
    // "A:\" is 3 characters, "C:\Program Files\Vantrx\" 24.
    struct Case {
        size_t diskName, target;
        bool listed;
        std::vector<const char*> warnings;
    } cases[] = {
        {124, 103, true, {}},
        {125, 103, true, {"manifest line 7: \"A:\\"}},
        {124, 104, true, {"manifest line 7: \"C:\\Program Files\\Vantrx\\"}},
        {124, 104, false, {}},
        {127, 127, true, {"\"A:\\", "\"C:\\Program"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.diskName) + "/" + std::to_string(c.target));
        Entry e = Make(1, std::string(c.target, 't'), 1, 0, c.listed);
        e.diskName = std::string(c.diskName, 'd');
        e.line = 7;
        std::vector<std::string> got = dist::PathWarnings({e});
        ASSERT_EQ(c.warnings.size(), got.size());
        for (size_t i = 0; i < got.size(); ++i) {
            EXPECT_NE(std::string::npos, got[i].find(c.warnings[i])) << got[i];
            EXPECT_NE(std::string::npos, got[i].find("is longer than 127 characters")) << got[i];
        }
    }
}

TEST(Layout, AllocatedRoundsUpToClusters) {
    struct Case {
        uint64_t size, cluster, expected;
    } cases[] = {{0, 512, 0}, {1, 512, 512}, {512, 512, 512}, {513, 512, 1024}, {513, 1, 513}, {7, 0, 7}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        EXPECT_EQ(c.expected, dist::Allocated(c.size, c.cluster));
    }
}

TEST(Layout, PlacesFilesOnDisks) {
    struct Case {
        const char* what;
        uint64_t reserved;
        std::vector<std::pair<int, uint64_t>> files; // disk (0 auto), stored size
        std::vector<int> disks;
        int count;
    } cases[] = {
        {"all fit on one", 0, {{0, 300}, {0, 300}, {0, 400}}, {1, 1, 1}, 1},
        {"exact fit then next", 0, {{0, 500}, {0, 500}, {0, 1}}, {1, 1, 2}, 2},
        {"reserve on disk 1", 300, {{0, 500}, {0, 300}}, {1, 2}, 2},
        {"clusters count", 0, {{0, 430}, {0, 430}, {0, 130}}, {1, 1, 2}, 2},
        {"auto follows a numbered disk", 0, {{0, 100}, {3, 100}, {0, 100}}, {1, 3, 3}, 3},
        {"order kept: small file after a big one does not go back",
         0,
         {{0, 900}, {0, 200}, {0, 50}},
         {1, 2, 2},
         2},
        {"numbered disk below the current one", 0, {{2, 100}, {1, 100}, {0, 100}}, {2, 1, 2}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<Entry> entries;
        for (const auto& f : c.files)
            entries.push_back(Make(f.first, "F" + std::to_string(entries.size()), f.second));
        dist::DiskParams params;
        params.capacity = 1000;
        params.cluster = 50;
        params.disk1Reserved = c.reserved;
        int count = -1;
        std::string error;
        ASSERT_TRUE(dist::LayoutDisks(&entries, params, &count, &error)) << error;
        for (size_t i = 0; i < entries.size(); ++i)
            EXPECT_EQ(c.disks[i], entries[i].disk) << "file " << i;
        EXPECT_EQ(c.count, count);
    }
}

TEST(Layout, RefusesWhatDoesNotFit) {
    struct Case {
        const char* what;
        uint64_t reserved;
        std::vector<std::pair<int, uint64_t>> files;
        const char* message;
    } cases[] = {
        {"file larger than a disk", 0, {{0, 1001}}, "does not fit on a disk of 1000 bytes"},
        {"numbered disk overflows",
         0,
         {{2, 600}, {2, 401}},
         "disk 2 is full: F1 needs 401 bytes, 400 are free"},
        {"setup alone too big", 1001, {{0, 1}}, "do not fit on disk 1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<Entry> entries;
        for (const auto& f : c.files)
            entries.push_back(Make(f.first, "F" + std::to_string(entries.size()), f.second));
        dist::DiskParams params;
        params.capacity = 1000;
        params.cluster = 1;
        params.disk1Reserved = c.reserved;
        int count = 0;
        std::string error;
        EXPECT_FALSE(dist::LayoutDisks(&entries, params, &count, &error));
        EXPECT_NE(std::string::npos, error.find(c.message)) << error;
    }
}

TEST(Script, TextOfTheSetupScript) {
    std::vector<Entry> entries = {Make(1, "setup.zel", 100), Make(2, "VANTRX32.EXE", 40, 90),
                                  Make(1, "MSVCRT.DLL", 7, 20, false)};
    entries[0].diskName = "SETUP.ZEL";
    entries[1].diskName = "VANTRX32.EX_";
    dist::Autorun autorun;
    EXPECT_EQ("[Main]\r\nVersion=1.K2\r\nFilecount=2\r\n"
              "file1=1 SETUP.ZEL setup.zel 100\r\n"
              "file2=2 VANTRX32.EX_ VANTRX32.EXE 90\r\n",
              dist::ScriptText("1.K2", entries, autorun));
    autorun.pathname = "C:\\Vantrx";
    autorun.vantrx = "YES";
    EXPECT_EQ("[Main]\r\nVersion=1.K2\r\nFilecount=2\r\n"
              "file1=1 SETUP.ZEL setup.zel 100\r\n"
              "file2=2 VANTRX32.EX_ VANTRX32.EXE 90\r\n"
              "\r\n[Autorun]\r\nPathname=C:\\Vantrx\r\nVANTRX=YES\r\n",
              dist::ScriptText("1.K2", entries, autorun));
}

TEST(Script, SizeBoundHoldsForEveryLayout) {
    std::vector<Entry> entries = Files(26);
    for (auto& e : entries)
        e.disk = 0;
    size_t bound = dist::ScriptSizeBound("1.K2", entries, {});
    for (int disk : {1, 9, 10, 26, 99}) {
        SCOPED_TRACE(disk);
        for (auto& e : entries)
            e.disk = disk;
        EXPECT_LE(dist::ScriptText("1.K2", entries, {}).size(), bound);
    }
}

} // namespace
