// The version stamp every stand-in product file carries: the 81-byte block
// that begins "zElSiG" and holds the major version and two minor-version
// characters at offsets 25 to 27, which the setup program reads as "%d.%c%c".
#pragma once

#ifndef STANDIN_MAJOR
#define STANDIN_MAJOR 1
#endif
#ifndef STANDIN_MINOR1
#define STANDIN_MINOR1 'K'
#endif
#ifndef STANDIN_MINOR2
#define STANDIN_MINOR2 '2'
#endif

struct StandinStamp {
    char signature[6];
    unsigned char reserved[19];
    unsigned char major;
    char minor1;
    char minor2;
    unsigned char build[3];
    char text[50];
};
static_assert(sizeof(StandinStamp) == 81, "the stamp block is 81 bytes");

// Defines the file's stamp with its own trailing text; `used` keeps it in the
// file even where nothing reads it.
#define STANDIN_STAMP(text)                                                                                  \
    extern const StandinStamp standinStamp;                                                                  \
    __attribute__((used)) const StandinStamp standinStamp = {{'z', 'E', 'l', 'S', 'i', 'G'},                 \
                                                             {1, 0, 0x0C, 0x0D, 0, 0, 4, 0, 0, 0},           \
                                                             STANDIN_MAJOR,                                  \
                                                             STANDIN_MINOR1,                                 \
                                                             STANDIN_MINOR2,                                 \
                                                             {9, 3, 0x10},                                   \
                                                             text}
