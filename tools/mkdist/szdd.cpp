#include "szdd.h"

#include <algorithm>
#include <cstring>

namespace szdd {

namespace {

const uint8_t kMagic[8] = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33};
constexpr int kHashBits = 15;
constexpr int kChainDepth = 256;

// The encoder works on the data preceded by the blanks the ring starts with,
// so the position of a byte in this stream, modulo 4096, is its ring slot.
// Only the kRingStart blanks before the first write position are taken as
// history: the slots behind it are overwritten by the first bytes.
struct Matcher {
    std::vector<uint8_t> stream;
    std::vector<int32_t> head;
    std::vector<int32_t> prev;

    explicit Matcher(const uint8_t* data, size_t size)
        : stream(kRingStart + size, ' '), head(size_t{1} << kHashBits, -1), prev(kRingStart + size, -1) {
        if (size)
            std::memcpy(stream.data() + kRingStart, data, size);
    }

    size_t Hash(size_t pos) const {
        uint32_t v = (uint32_t{stream[pos]} << 16) | (uint32_t{stream[pos + 1]} << 8) | stream[pos + 2];
        return (v * 2654435761u) >> (32 - kHashBits);
    }

    void Insert(size_t pos) {
        if (pos + kMinMatch > stream.size())
            return;
        size_t h = Hash(pos);
        prev[pos] = head[h];
        head[h] = static_cast<int32_t>(pos);
    }

    // Longest earlier occurrence of the bytes at pos within the ring's reach.
    // A reference may overlap the bytes it produces: the expander copies one
    // byte at a time through the ring, so a run repeats itself.
    size_t Longest(size_t pos, size_t* from) const {
        size_t limit = std::min(kMaxMatch, stream.size() - pos);
        if (limit < kMinMatch)
            return 0;
        size_t best = 0;
        int32_t cand = head[Hash(pos)];
        for (int depth = 0; cand >= 0 && depth < kChainDepth; ++depth, cand = prev[cand]) {
            size_t c = static_cast<size_t>(cand);
            if (pos - c >= kRingSize)
                break;
            size_t len = 0;
            while (len < limit && stream[c + len] == stream[pos + len])
                ++len;
            if (len > best) {
                best = len;
                *from = c;
                if (len == limit)
                    break;
            }
        }
        return best >= kMinMatch ? best : 0;
    }
};

struct Writer {
    std::vector<uint8_t>& out;
    size_t flagPos = 0;
    int items = 0;

    void Begin() {
        if (items == 0) {
            flagPos = out.size();
            out.push_back(0);
        }
    }
    void End() {
        items = (items + 1) & 7;
    }
    void Literal(uint8_t b) {
        Begin();
        out[flagPos] |= static_cast<uint8_t>(1u << items);
        out.push_back(b);
        End();
    }
    void Reference(size_t from, size_t len) {
        Begin();
        size_t slot = from & (kRingSize - 1);
        out.push_back(static_cast<uint8_t>(slot & 0xFF));
        out.push_back(static_cast<uint8_t>(((slot >> 4) & 0xF0) | (len - kMinMatch)));
        End();
    }
};

void PutHeader(std::vector<uint8_t>& out, char lastChar, size_t size) {
    out.assign(kMagic, kMagic + 8);
    out.push_back('A');
    out.push_back(static_cast<uint8_t>(lastChar));
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>((static_cast<uint64_t>(size) >> (8 * i)) & 0xFF));
}

} // namespace

std::vector<uint8_t> Compress(const uint8_t* data, size_t size, char lastChar) {
    std::vector<uint8_t> out;
    PutHeader(out, lastChar, size);
    Matcher m(data, size);
    for (size_t pos = 0; pos < kRingStart; ++pos)
        m.Insert(pos);
    Writer w{out};
    size_t pos = kRingStart;
    while (pos < m.stream.size()) {
        size_t from = 0;
        size_t len = m.Longest(pos, &from);
        // One step of lazy matching: a literal now pays when the next
        // position starts a clearly longer match.
        if (len && len < kMaxMatch) {
            m.Insert(pos);
            size_t nextFrom = 0;
            size_t next = m.Longest(pos + 1, &nextFrom);
            if (next > len + 1) {
                w.Literal(m.stream[pos]);
                ++pos;
                len = next;
                from = nextFrom;
                m.Insert(pos);
            }
            for (size_t i = 1; i < len; ++i)
                m.Insert(pos + i);
        } else {
            for (size_t i = 0; i < std::max<size_t>(len, 1); ++i)
                m.Insert(pos + i);
        }
        if (len) {
            w.Reference(from, len);
            pos += len;
        } else {
            w.Literal(m.stream[pos]);
            ++pos;
        }
    }
    return out;
}

bool Expand(const std::vector<uint8_t>& image, std::vector<uint8_t>* out) {
    if (image.size() < kHeaderSize || std::memcmp(image.data(), kMagic, 8) != 0 || image[8] != 'A')
        return false;
    uint32_t size = 0;
    for (int i = 0; i < 4; ++i)
        size |= uint32_t{image[10 + i]} << (8 * i);
    uint8_t ring[kRingSize];
    std::memset(ring, ' ', sizeof ring);
    size_t slot = kRingStart;
    size_t in = kHeaderSize;
    out->clear();
    unsigned flags = 0;
    while (out->size() < size) {
        if ((flags & 0x100) == 0) {
            if (in >= image.size())
                return false;
            flags = image[in++] | 0xFF00u;
        }
        if (flags & 1) {
            if (in >= image.size())
                return false;
            uint8_t b = image[in++];
            out->push_back(b);
            ring[slot] = b;
            slot = (slot + 1) & (kRingSize - 1);
        } else {
            if (in + 2 > image.size())
                return false;
            size_t from = image[in] | ((image[in + 1] & 0xF0u) << 4);
            size_t len = (image[in + 1] & 0x0Fu) + kMinMatch;
            in += 2;
            for (size_t i = 0; i < len && out->size() < size; ++i) {
                uint8_t b = ring[(from + i) & (kRingSize - 1)];
                out->push_back(b);
                ring[slot] = b;
                slot = (slot + 1) & (kRingSize - 1);
            }
        }
        flags >>= 1;
    }
    return true;
}

namespace {

// Length of the extension of the last path component; npos when it has none.
size_t ExtensionLength(const std::string& name) {
    size_t dot = name.find_last_of('.');
    size_t sep = name.find_last_of("\\/");
    if (dot == std::string::npos || (sep != std::string::npos && dot < sep))
        return std::string::npos;
    return name.size() - dot - 1;
}

} // namespace

std::string CompressedName(const std::string& name) {
    size_t ext = ExtensionLength(name);
    if (ext == std::string::npos)
        return name + "._";
    if (ext >= 3)
        return name.substr(0, name.size() - 1) + "_";
    return name + "_";
}

char HeaderChar(const std::string& name) {
    size_t ext = ExtensionLength(name);
    if (ext == std::string::npos || ext < 3 || name.empty())
        return 0;
    return name.back();
}

} // namespace szdd
