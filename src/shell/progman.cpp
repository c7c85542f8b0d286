#include "shell/progman.h"
// Placeholder until the Program Manager group lands.
int CreateProgramGroup(DWORD) {
    return 1;
}
int SendProgmanCommand(DWORD, const char*) {
    return 0;
}
int RequestProgmanGroup(DWORD, const char*, char* buffer) {
    buffer[0] = 0;
    return 0;
}
