// Runs a fuzz target over the files it is given (folders: every file in them, in name order), once
// each, where libFuzzer is not linked: the corpora then replay in every build. Arguments that
// start with '-' are libFuzzer's and are ignored, so one command line serves both builds.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int *argc, char ***argv);

namespace {

bool runFile(const std::filesystem::path &path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        return false;
    }
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // A copy of exactly the input's size, so that a read past its end is caught as under libFuzzer.
    std::vector<uint8_t> input(bytes.begin(), bytes.end());
    LLVMFuzzerTestOneInput(input.empty() ? nullptr : input.data(), input.size());
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (LLVMFuzzerInitialize)
        LLVMFuzzerInitialize(&argc, &argv);
    int ran = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument.empty() || argument[0] == '-')
            continue;
        const std::filesystem::path path(argument);
        std::error_code error;
        if (!std::filesystem::is_directory(path, error)) {
            if (!runFile(path))
                return 1;
            ++ran;
            continue;
        }
        std::vector<std::filesystem::path> files;
        for (const auto &item : std::filesystem::directory_iterator(path, error)) {
            if (item.is_regular_file())
                files.push_back(item.path());
        }
        std::sort(files.begin(), files.end());
        if (files.empty()) {
            std::fprintf(stderr, "no inputs in %s\n", path.c_str());
            return 1;
        }
        for (const auto &file : files) {
            if (!runFile(file))
                return 1;
            ++ran;
        }
    }
    std::printf("%d input(s) ran\n", ran);
    return ran > 0 ? 0 : 1;
}
