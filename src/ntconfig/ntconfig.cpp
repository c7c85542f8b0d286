#include "ntconfig/ntconfig.h"

#include "base/state.h"
#include "base/text.h"
#include "history/history.h"
#include "install/lzfile.h"
#include "install/stampscan.h"

// The Windows NT side of a new installation: an older registered
// installation's engine libraries and event-log files, the logger's
// configuration file, and the boot-time copy of the SCSI driver.

namespace {

const char kBootDriver[] = "C:\\NTBOOTDD.SYS";
const char kBootDriverBackup[] = "C:\\NTBOOTDD.BAK";
const char kDriverPattern[] = "ZELSCSI.SYS"; // 11 bytes, no terminator looked for

int FileExists(const char* path) {
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

// The older installation's directory from HKLM\SOFTWARE\ZEL\VANTRX
// "PathName", whatever its type. Registered only when every key opens and the
// value reads; a value that fills the whole buffer without its terminator, or
// an empty one, names no usable directory and counts as absent.
int ReadOlderInstallation(HKEY keys[3], char* pathName) {
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_READ, &keys[0]) != ERROR_SUCCESS)
        return 0;
    if (RegOpenKeyExA(keys[0], "ZEL", 0, KEY_READ, &keys[1]) != ERROR_SUCCESS)
        return 0;
    if (RegOpenKeyExA(keys[1], "VANTRX", 0, KEY_READ, &keys[2]) != ERROR_SUCCESS)
        return 0;
    DWORD type = 0, size = 128;
    if (RegQueryValueExA(keys[2], "PathName", NULL, &type, (BYTE*)pathName, &size) != ERROR_SUCCESS)
        return 0;
    if (size < 128)
        pathName[size] = '\0';
    if (FindByte(pathName, 128, '\0') < 0 || pathName[0] == '\0')
        return 0;
    return 1;
}

void CloseKeys(HKEY keys[3]) {
    for (int i = 2; i >= 0; --i)
        if (keys[i])
            RegCloseKey(keys[i]);
}

// Moves one engine library from the system directory into the older
// directory. 0 only when the destination could not be written (reported as a
// full disk); the source is deleted only after a copy that succeeded. A
// library that is in that place already (the older directory is the system
// directory) is neither copied nor deleted.
int MoveEngineLibrary(const char* name, const char* pathName) {
    char source[MAX_PATH], target[MAX_PATH];
    if (!FormatText(source, sizeof source, "%s\\SYSTEM32\\%s", g.windowsDir, name) || !FileExists(source))
        return 1;
    if (!FormatText(target, sizeof target, "%s%s", pathName, name) || IsSameFile(source, target))
        return 1;
    long result = ExpandFile(source, target);
    if (result == kLzWriteFailed) {
        ShowOutOfDiskSpace(g.mainWindow);
        return 0;
    }
    if (result >= 0)
        DeleteFileA(source);
    return 1;
}

// Takes over from the older installation. 0 after a full disk was reported;
// the registration then stays.
int TakeOverOlderInstallation(HKEY keys[3], const char* pathName) {
    if (!MoveEngineLibrary("ZELENGNT.DLL", pathName))
        return 0;
    if (!MoveEngineLibrary("ZELENG32.DLL", pathName))
        return 0;
    MoveLoggerFiles(pathName);
    RegDeleteKeyA(keys[1], "VANTRX");
    RegDeleteKeyA(keys[0], "ZEL");
    return 1;
}

// ZEL_NT.INI, each line ending in CR LF, any earlier file replaced. 0 only
// when the file was created but could not be written whole (the disk is
// full): the part written is deleted again. A file that cannot be created
// is passed over.
int WriteLoggerConfiguration(const char* path) {
    char text[256];
    if (!CopyText(text, sizeof text, "[ZELLOGGER]\r\ndirectory=") ||
        !AppendText(text, sizeof text, g.installDir) ||
        !AppendText(text, sizeof text,
                    "\r\neventLevel=1               ; threshold\r\n"
                    "timeInterval=1             ; 1-120 minutes\r\n"))
        return 1;
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    DWORD length = (DWORD)TextLength(text), written = 0;
    int whole = WriteFile(file, text, length, &written, NULL) && written == length;
    whole = CloseHandle(file) && whole;
    if (!whole)
        DeleteFileA(path);
    return whole;
}

// The removal of the installation deletes the configuration file with the
// other recorded files. The file's entry is written before the count that
// takes it in, so that no count ever names an entry that is not there.
void RecordLoggerConfiguration(char* path) {
    int count = (int)GetPrivateProfileIntA(g.installDir, "Filecount", 0, g.historyPath) + 1;
    char text[16];
    if (!FormatText(text, sizeof text, "%d", count) ||
        !FileListEntry(1, count, path, g.installDir, g.historyPath))
        return;
    WritePrivateProfileStringA(g.installDir, "Filecount", text, g.historyPath);
}

// Refreshes the boot-time copy of the SCSI driver from the system's driver
// directory, keeping the previous copy as NTBOOTDD.BAK.
void RefreshBootDriver() {
    char source[129 + 32];
    UINT length = GetSystemDirectoryA(source, 129);
    if (length == 0 || length >= 129 ||
        !FormatText(source + length, sizeof source - length, "%s", "\\DRIVERS\\ZELSCSI.SYS"))
        return;
    SetFileAttributesA(kBootDriver, FILE_ATTRIBUTE_ARCHIVE);
    CopyFileA(kBootDriver, kBootDriverBackup, FALSE);
    CopyFileA(source, kBootDriver, FALSE);
    SetFileAttributesA(kBootDriver, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                        FILE_ATTRIBUTE_ARCHIVE);
}

} // namespace

int ConfigureNtSystem() {
    HKEY keys[3] = {NULL, NULL, NULL};
    char pathName[128];
    int ok = 1;
    if (ReadOlderInstallation(keys, pathName))
        ok = TakeOverOlderInstallation(keys, pathName);
    CloseKeys(keys);
    if (!ok)
        return 0;

    char configuration[MAX_PATH];
    if (FormatText(configuration, sizeof configuration, "%s\\ZEL_NT.INI", g.installDir)) {
        if (!WriteLoggerConfiguration(configuration)) {
            ShowOutOfDiskSpace(g.mainWindow);
            return 0;
        }
        RecordLoggerConfiguration(configuration);
    }
    if (g.osKind == kOsNt31 && IsOwnBootDriver())
        RefreshBootDriver();
    return 1;
}

void MoveLoggerFiles(const char* directory) {
    char pattern[MAX_PATH];
    if (!FormatText(pattern, sizeof pattern, "%s\\ZELELOG.*", directory))
        return;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA(pattern, &entry);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        if (CompareNoCase(entry.cFileName, "ZELELOG.EXE") == 0 ||
            CompareNoCase(entry.cFileName, "ZELELOG.INI") == 0)
            continue;
        char source[MAX_PATH], target[MAX_PATH];
        // The older directory may be the install directory itself, under
        // this name or another: a file already in its place stays as it is.
        if (!FormatText(source, sizeof source, "%s\\%s", directory, entry.cFileName) ||
            !FormatText(target, sizeof target, "%s\\%s", g.installDir, entry.cFileName) ||
            IsSameFile(source, target))
            continue;
        if (ExpandFile(source, target) >= 0)
            DeleteFileA(source);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
}

int IsOwnBootDriver() {
    HANDLE file = CreateFileA(kBootDriver, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    unsigned char chunk[4096];
    int matched = 0, found = 0;
    DWORD got = 0;
    while (!found && ReadFile(file, chunk, sizeof chunk, &got, NULL) && got > 0)
        found = ScanPatternChunk((const unsigned char*)kDriverPattern, sizeof kDriverPattern - 1, &matched,
                                 chunk, (int)got) > 0;
    CloseHandle(file);
    return found;
}
