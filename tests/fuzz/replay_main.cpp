// Replays inputs through a fuzz target without libFuzzer: the target's
// LLVMFuzzerTestOneInput gets the empty input, then every file of the
// folders (and files) named on the command line, in name order. Names
// starting with '.' (a folder's .gitkeep) are skipped. Each input's name is
// printed before it runs, so that a sanitizer report or a failed check
// follows the name of the input that caused it.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace fs = std::filesystem;

namespace {

bool Hidden(const fs::path& path) {
    std::string name = path.filename().string();
    return !name.empty() && name[0] == '.';
}

// The inputs under path, sorted; false when path does not exist.
bool Collect(const fs::path& path, std::vector<fs::path>* inputs) {
    std::error_code ec;
    if (fs::is_regular_file(path, ec)) {
        inputs->push_back(path);
        return true;
    }
    if (!fs::is_directory(path, ec))
        return false;
    std::vector<fs::path> found;
    for (const auto& item : fs::recursive_directory_iterator(path)) {
        if (item.is_regular_file() && !Hidden(item.path()))
            found.push_back(item.path());
    }
    std::sort(found.begin(), found.end());
    inputs->insert(inputs->end(), found.begin(), found.end());
    return true;
}

bool Read(const fs::path& path, std::vector<uint8_t>* data) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    data->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

} // namespace

int main(int argc, char** argv) {
    std::string self = fs::path(argv[0]).filename().string();
    std::vector<fs::path> inputs;
    for (int i = 1; i < argc; ++i) {
        if (!Collect(argv[i], &inputs)) {
            std::fprintf(stderr, "%s: no file or folder %s\n", self.c_str(), argv[i]);
            return 2;
        }
    }
    std::fprintf(stderr, "%s: the empty input\n", self.c_str());
    LLVMFuzzerTestOneInput(nullptr, 0);
    for (const fs::path& path : inputs) {
        std::vector<uint8_t> data;
        if (!Read(path, &data)) {
            std::fprintf(stderr, "%s: cannot read %s\n", self.c_str(), path.c_str());
            return 2;
        }
        std::fprintf(stderr, "%s: %s (%zu bytes)\n", self.c_str(), path.c_str(), data.size());
        // A copy of exactly the input's size, so that reading past it is caught.
        std::vector<uint8_t> exact(data);
        LLVMFuzzerTestOneInput(exact.empty() ? nullptr : exact.data(), exact.size());
    }
    std::printf("%s: %zu inputs and the empty one, no finding\n", self.c_str(), inputs.size());
    return 0;
}
