// The driver a fuzz target is linked with in the test build: every file of
// the folders named on the command line (and every file named directly) goes
// to LLVMFuzzerTestOneInput once, in name order, as libFuzzer runs a crash
// input it is handed. The name of each input is printed before it runs, so a
// sanitizer report that follows names the input that caused it.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace fs = std::filesystem;

namespace {

bool Collect(const fs::path& place, std::vector<fs::path>& inputs) {
    std::error_code error;
    if (fs::is_regular_file(place, error)) {
        inputs.push_back(place);
        return true;
    }
    if (!fs::is_directory(place, error))
        return false;
    std::vector<fs::path> found;
    for (const fs::directory_entry& entry : fs::directory_iterator(place, error))
        if (entry.is_regular_file() && entry.path().filename().string().front() != '.')
            found.push_back(entry.path());
    std::sort(found.begin(), found.end());
    inputs.insert(inputs.end(), found.begin(), found.end());
    return !error;
}

}  // namespace

int main(int argc, char** argv) {
    if (LLVMFuzzerInitialize)
        LLVMFuzzerInitialize(&argc, &argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <folder or file>...\n", argv[0]);
        return 2;
    }
    std::vector<fs::path> inputs;
    for (int i = 1; i < argc; ++i) {
        if (!Collect(argv[i], inputs)) {
            std::fprintf(stderr, "%s: no such folder or file\n", argv[i]);
            return 2;
        }
    }
    for (const fs::path& input : inputs) {
        std::ifstream in(input, std::ios::binary);
        if (!in.is_open()) {
            std::fprintf(stderr, "%s: cannot be read\n", input.c_str());
            return 2;
        }
        const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::printf("input %s (%zu bytes)\n", input.c_str(), bytes.size());
        std::fflush(stdout);
        // An empty vector's data() may be null; a target is always handed a
        // valid pointer, as libFuzzer does.
        static const uint8_t none = 0;
        LLVMFuzzerTestOneInput(bytes.empty() ? &none : bytes.data(), bytes.size());
    }
    std::printf("%zu inputs replayed\n", inputs.size());
    return 0;
}
