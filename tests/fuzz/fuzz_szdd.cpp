// Fuzz target: mkdist's SZDD compressor, checked through our own expander, written from the format's
// description and sharing no code with mkdist (14-byte header: magic, mode 'A', the name's last character,
// the expanded size; LZSS over a 4096-byte ring of blanks written from 4080, a flag byte per eight items,
// low bit first). The input is (1) a file to compress after its first byte, the header's last character:
// the image has the right header, costs at most a flag bit per byte, gives the file back through both
// expanders; (2) a hostile image: the two expanders agree, within bounds.
#include "fuzz_check.h"
#include "szdd.h"

#include <cstring>
#include <string>
#include <vector>

// Expands image into out (at most its expanded size, never more than 9 bytes per body byte, the most an item
// yields). False for a bad header or a body that ends before the size is reached.
static bool Expand(const std::vector<uint8_t>& image, std::vector<uint8_t>* out) {
    static const uint8_t kMagic[9] = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33, 'A'};
    if (image.size() < 14 || memcmp(image.data(), kMagic, 9) != 0)
        return false;
    size_t size = image[10] | image[11] << 8 | image[12] << 16 | (size_t)image[13] << 24, at = 14;
    if (size > 9 * (image.size() - 14))
        return false;
    uint8_t ring[4096];
    memset(ring, ' ', sizeof ring);
    unsigned next = 4080;
    out->clear();
    while (out->size() < size) {
        if (at == image.size())
            return false;
        unsigned flags = image[at++];
        for (int bit = 0; bit < 8 && out->size() < size; ++bit) {
            unsigned from = 0, count = 1;
            if (!(flags >> bit & 1)) {
                if (image.size() - at < 2)
                    return false;
                from = image[at] | (image[at + 1] & 0xF0) << 4, count = (image[at + 1] & 0x0F) + 3, at += 2;
            } else if (at == image.size()) {
                return false;
            }
            for (unsigned k = 0; k < count && out->size() < size; ++k, next = (next + 1) & 4095) {
                uint8_t c = flags >> bit & 1 ? image[at++] : ring[(from + k) & 4095];
                out->push_back(ring[next] = c);
            }
        }
    }
    return true;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> input(data, data + size), file(input.begin() + (size ? 1 : 0), input.end()), ours,
        theirs;
    std::vector<uint8_t> image = szdd::Compress(file.data(), file.size(), size ? (char)data[0] : 0);
    FUZZ_CHECK(image.size() >= 14 && image[9] == (size ? data[0] : 0), "header of " + std::to_string(size));
    FUZZ_CHECK(image.size() <= 14 + file.size() + (file.size() + 7) / 8, "image larger than its literals");
    FUZZ_CHECK(Expand(image, &ours) && ours == file, "our expander does not give the file back");
    FUZZ_CHECK(szdd::Expand(image, &theirs) && theirs == file,
               "mkdist's expander does not give the file back");
    bool accepted = szdd::Expand(input, &theirs), ok = Expand(input, &ours);
    FUZZ_CHECK(accepted == ok && (!ok || ours == theirs), "the two expanders disagree on a hostile image");
    return 0;
}
