#include "history/history.h"
#include "app/text.h"
#include <string.h>
// Placeholder until the history file lands.
int GetTimesInstalled() {
    return 0;
}
void SetTimesInstalled(int) {}
void HistoryDirectoryEntry(int write, int, char* text) {
    if (!write)
        strcpy(text, NO_ENTRY);
}
void FileListEntry(int write, int, char* text, const char*, const char*) {
    if (!write)
        strcpy(text, NO_ENTRY);
}
int RecordInstallation() {
    return 1;
}
void RemoveHistoryEntry(const char*) {}
void FormatWhenInstalled(int, int, int, int, char* text, size_t size) {
    if (size)
        text[0] = 0;
}
