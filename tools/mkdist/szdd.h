// The platform's LZ file format ("SZDD", what COMPRESS.EXE writes and LZ32
// expands): a 14-byte header, then LZSS over a 4096-byte ring buffer that
// starts filled with blanks and is written from position 4096 - 16. Pure
// functions over byte buffers; no file access.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace szdd {

constexpr size_t kHeaderSize = 14;
constexpr size_t kRingSize = 4096;
constexpr size_t kRingStart = kRingSize - 16;
constexpr size_t kMinMatch = 3;
constexpr size_t kMaxMatch = 18;

// Compresses data. lastChar goes into the header: LZ32's GetExpandedName puts
// it in place of the compressed name's final '_' (see HeaderChar).
std::vector<uint8_t> Compress(const uint8_t* data, size_t size, char lastChar);

// Expands a whole SZDD image. Returns false on a bad header or a body that
// ends inside an item before the header's size is reached.
bool Expand(const std::vector<uint8_t>& image, std::vector<uint8_t>* out);

// The name COMPRESS.EXE gives a compressed file: the last character of the
// extension becomes '_', a shorter extension gets a '_' appended and a name
// without extension gets "._". "MSVCRT.DLL" -> "MSVCRT.DL_".
std::string CompressedName(const std::string& name);

// The header character that makes GetExpandedName turn CompressedName(name)
// back into name: the real last character where the '_' replaced it, 0
// (which ends the name there) where the '_' was appended.
char HeaderChar(const std::string& name);

} // namespace szdd
