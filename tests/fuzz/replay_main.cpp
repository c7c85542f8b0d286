// Replays the empty input, then each file of the folders given (sorted), each
// in a buffer of exactly its size, its name printed before it runs.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
    std::vector<std::filesystem::path> inputs;
    for (int i = 1; i < argc; ++i) {
        std::error_code error;
        for (const auto& item : std::filesystem::directory_iterator(argv[i], error))
            if (item.is_regular_file() && item.path().filename().string()[0] != '.')
                inputs.push_back(item.path());
        if (error) {
            std::fprintf(stderr, "no folder %s\n", argv[i]);
            return 2;
        }
    }
    std::sort(inputs.begin(), inputs.end());
    static const uint8_t kNothing[1] = {0};
    LLVMFuzzerTestOneInput(kNothing, 0);
    for (const auto& path : inputs) {
        std::fprintf(stderr, "%s\n", path.c_str());
        std::ifstream in(path, std::ios::binary);
        std::vector<uint8_t> data{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        LLVMFuzzerTestOneInput(data.empty() ? kNothing : data.data(), data.size());
    }
    std::printf("%zu inputs and the empty one, no finding\n", inputs.size());
    return 0;
}
