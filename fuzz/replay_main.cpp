// Runs a fuzz target's entry point once on every file of the folders (or files) named on the
// command line, without libFuzzer: the seed corpora and the inputs of past findings are replayed
// by every test run. A folder that does not exist holds nothing.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

std::vector<std::filesystem::path> inputsOf(const std::filesystem::path& place) {
    std::vector<std::filesystem::path> files;
    std::error_code error;
    if (std::filesystem::is_regular_file(place, error)) {
        files.push_back(place);
    } else if (std::filesystem::is_directory(place, error)) {
        for (const auto& entry : std::filesystem::directory_iterator(place, error))
            if (entry.is_regular_file(error))
                files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace

int main(int argc, char** argv) {
    int count = 0;
    for (int i = 1; i < argc; ++i) {
        for (const std::filesystem::path& file : inputsOf(argv[i])) {
            std::ifstream in(file, std::ios::binary);
            const std::vector<char> bytes{std::istreambuf_iterator<char>(in),
                                          std::istreambuf_iterator<char>()};
            if (!in.eof() && in.fail()) {
                std::fprintf(stderr, "cannot read %s\n", file.string().c_str());
                return 1;
            }
            // A heap block of exactly the input's size, as libFuzzer gives: a read past its end
            // is caught by AddressSanitizer where it runs.
            const auto input = std::make_unique<std::uint8_t[]>(bytes.size());
            std::copy(bytes.begin(), bytes.end(), input.get());
            std::fprintf(stderr, "%s\n", file.string().c_str());
            LLVMFuzzerTestOneInput(input.get(), bytes.size());
            ++count;
        }
    }
    std::printf("%d inputs replayed\n", count);
    return 0;
}
