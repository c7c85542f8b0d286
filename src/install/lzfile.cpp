#include "install/lzfile.h"
// Placeholder until the LZ copy lands.
long CopyCompressedFile(const char*, const char*) {
    return -1;
}
long ExpandFile(const char*, const char*) {
    return -1;
}
void ShowOutOfDiskSpace(void*) {}
