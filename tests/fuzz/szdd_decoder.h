// An SZDD expander of the fuzz tests' own, written from the format's
// description (a 14-byte header; LZSS over a 4096-byte ring that starts
// filled with blanks and is written from position 4080; a flag byte per
// eight items, least significant bit first). It shares no code with
// mkdist's compressor and expander, so a round trip through it checks
// mkdist against the format rather than against itself. Every byte it reads
// or writes lies within the sizes it is given.
#pragma once

#include <cstddef>
#include <cstdint>

namespace fuzzszdd {

constexpr size_t kHeaderBytes = 14;

enum class Result {
    kOk,
    kBadHeader, // shorter than a header, another magic, or a mode other than 'A'
    kTooLarge,  // the header's expanded size exceeds the output capacity; nothing written
    kTruncated, // the body ends before the expanded size is reached
};

struct Header {
    uint8_t mode = 0;
    uint8_t lastChar = 0;
    uint32_t expandedSize = 0;
};

// Reads the header of image[0, size). kOk or kBadHeader.
Result ReadHeader(const uint8_t* image, size_t size, Header* header);

// Expands image[0, size) into out[0, capacity). On kOk, *written is the
// header's expanded size and *consumed the bytes of image read (what
// follows them is ignored); on kTruncated both say how far it got.
Result Decode(const uint8_t* image, size_t size, uint8_t* out, size_t capacity, size_t* written,
              size_t* consumed);

} // namespace fuzzszdd
