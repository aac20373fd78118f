// Runs a fuzz target over the files of its corpus, so that every input ever found stays a
// regression test in builds without the fuzzing engine.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
    int files = 0;
    for (int i = 1; i < argc; ++i) {
        for (const auto& entry : std::filesystem::directory_iterator(argv[i])) {
            if (!entry.is_regular_file()) continue;
            std::ifstream in(entry.path(), std::ios::binary);
            std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
            // An empty input comes as a null pointer and size 0, as the fuzzing engine gives it.
            LLVMFuzzerTestOneInput(
                bytes.empty() ? nullptr : reinterpret_cast<const std::uint8_t*>(bytes.data()),
                bytes.size());
            ++files;
        }
    }
    std::printf("%d inputs ran clean\n", files);
    return files > 0 ? 0 : 1;
}
