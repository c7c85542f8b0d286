#include "install/stamp.h"

#include "app/text.h"

#include <stdio.h>

// The program's own stamp: version 1.BD.
__attribute__((used)) unsigned char ownVersionStamp[kStampSize] = {
    'z', 'E', 'l', 'S', 'i', 'G', 0x01, 0x00, 0x0C, 0x0D, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00,
    0,   0,   0,   0,   0,   0,   0,    0,    0,    1,    'B',  'D',  0x09, 0x03, 0x10, 'Z',
    'E', 'L', ' ', 'S', 'e', 't', 'u',  'p',  ' ',  '(',  'W',  'i',  'n',  '3',  '2',  ')'};

// Placeholder reader until the real one lands.
int ReadVersionStamp(const char*, unsigned char*) {
    return 0;
}
void VersionStampText(const unsigned char* block, char* text) {
    snprintf(text, 8, "%d.%c%c", block[kStampMajor], block[kStampMinor1], block[kStampMinor2]);
}
int CompareVersions(const char* a, const char* b) {
    return CompareNoCase(a, b);
}
