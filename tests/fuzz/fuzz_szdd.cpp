// Fuzz target: mkdist's SZDD compressor, checked through an expander of our
// own (szdd_decoder.h), and both expanders on arbitrary bytes.
//
// The input is used twice:
//   1. Its first byte is the header's last-name character and the rest the
//      file to compress. The image must carry the magic, mode 'A', that
//      character and the file's size; it must be no larger than a literal for
//      every byte (a flag bit each) costs; and both expanders must give the
//      file back exactly, the independent one reading the whole image.
//   2. The whole input is an SZDD image from a hostile disk. The independent
//      expander works in an output of exactly the header's size (refusing a
//      size the input cannot possibly produce), and mkdist's Expand must
//      reach the same verdict and the same bytes.
#include "fuzz_check.h"
#include "szdd.h"
#include "szdd_decoder.h"

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using fuzzszdd::Result;

std::string Num(size_t n) {
    return std::to_string(n);
}

const char* Name(Result r) {
    switch (r) {
    case Result::kOk:
        return "ok";
    case Result::kBadHeader:
        return "bad header";
    case Result::kTooLarge:
        return "too large";
    case Result::kTruncated:
        return "truncated";
    }
    return "?";
}

// An output buffer of exactly size bytes on the heap, so that AddressSanitizer
// sees a write past its end.
std::unique_ptr<uint8_t[]> Exact(size_t size) {
    return std::unique_ptr<uint8_t[]>(new uint8_t[size ? size : 1]);
}

void RoundTrip(const uint8_t* data, size_t size) {
    const char last = size ? static_cast<char>(data[0]) : 0;
    const uint8_t* file = size ? data + 1 : data;
    const size_t length = size ? size - 1 : 0;
    const std::vector<uint8_t> image = szdd::Compress(file, length, last);

    fuzzszdd::Header header;
    FUZZ_CHECK(fuzzszdd::ReadHeader(image.data(), image.size(), &header) == Result::kOk,
               "the image of " + Num(length) + " bytes has no SZDD magic");
    FUZZ_CHECK(header.mode == 'A', "mode " + Num(header.mode));
    FUZZ_CHECK(header.lastChar == static_cast<uint8_t>(last), "last character " + Num(header.lastChar));
    FUZZ_CHECK(header.expandedSize == length,
               "expanded size " + Num(header.expandedSize) + ", file " + Num(length));
    const size_t bound = fuzzszdd::kHeaderBytes + length + (length + 7) / 8;
    FUZZ_CHECK(image.size() <= bound, "image of " + Num(image.size()) + " bytes, more than " + Num(bound));

    std::unique_ptr<uint8_t[]> out = Exact(length);
    size_t written = 0, consumed = 0;
    Result r = fuzzszdd::Decode(image.data(), image.size(), out.get(), length, &written, &consumed);
    FUZZ_CHECK(r == Result::kOk, std::string("independent expander: ") + Name(r));
    FUZZ_CHECK(written == length, "expanded " + Num(written) + " of " + Num(length) + " bytes");
    FUZZ_CHECK(consumed == image.size(),
               "read " + Num(consumed) + " of " + Num(image.size()) + " image bytes");
    FUZZ_CHECK(length == 0 || std::memcmp(out.get(), file, length) == 0,
               "expanded bytes differ from the file");

    std::vector<uint8_t> again;
    FUZZ_CHECK(szdd::Expand(image, &again), "mkdist's Expand refuses its own image");
    FUZZ_CHECK(again == std::vector<uint8_t>(file, file + length), "mkdist's Expand gives other bytes");
}

void HostileImage(const uint8_t* data, size_t size) {
    fuzzszdd::Header header;
    if (fuzzszdd::ReadHeader(data, size, &header) != Result::kOk)
        header.expandedSize = 0;
    // No body item gives more than 9 bytes per byte it takes (a reference: 2
    // bytes for 18), so a larger size must end in kTruncated anyway.
    const size_t body = size > fuzzszdd::kHeaderBytes ? size - fuzzszdd::kHeaderBytes : 0;
    const size_t capacity = header.expandedSize < 9 * body ? header.expandedSize : 9 * body;
    std::unique_ptr<uint8_t[]> out = Exact(capacity);
    size_t written = 0, consumed = 0;
    const Result r = fuzzszdd::Decode(data, size, out.get(), capacity, &written, &consumed);
    FUZZ_CHECK(written <= capacity && consumed <= size, "wrote " + Num(written) + " of " + Num(capacity) +
                                                            ", read " + Num(consumed) + " of " + Num(size));

    std::vector<uint8_t> image(data, data + size);
    std::vector<uint8_t> theirs;
    const bool accepted = szdd::Expand(image, &theirs);
    FUZZ_CHECK(accepted == (r == Result::kOk), std::string("mkdist's Expand says ") +
                                                   (accepted ? "ok" : "no") + ", the independent one " +
                                                   Name(r));
    if (accepted) {
        FUZZ_CHECK(theirs.size() == written &&
                       (written == 0 || std::memcmp(theirs.data(), out.get(), written) == 0),
                   "the two expanders give different bytes");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    RoundTrip(data, size);
    HostileImage(data, size);
    return 0;
}
