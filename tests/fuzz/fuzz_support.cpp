#include "tests/fuzz/fuzz_support.hpp"

#include <cerrno>
#include <cstdlib>
#include <stdexcept>
#include <system_error>

namespace fuzz_support {
namespace {

std::filesystem::path make_scratch_directory() {
    std::string pattern = (std::filesystem::temp_directory_path() / "ct_fuzz_XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::system_error(errno, std::generic_category(), "cannot create " + pattern);
    }
    return pattern;
}

void remove_scratch_directory() {
    std::error_code ignored;
    std::filesystem::remove_all(scratch_directory(), ignored);
}

}  // namespace

const std::filesystem::path& scratch_directory() {
    static const std::filesystem::path directory = [] {
        std::filesystem::path made = make_scratch_directory();
        std::atexit(remove_scratch_directory);
        return made;
    }();
    return directory;
}

std::string write_scratch_file(std::string_view name, std::string_view contents) {
    const std::string path = (scratch_directory() / name).string();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) throw std::runtime_error("cannot write " + path);
    const bool written = std::fwrite(contents.data(), 1, contents.size(), file) == contents.size();
    if (std::fclose(file) != 0 || !written) throw std::runtime_error("cannot write " + path);
    return path;
}

std::FILE* resuming_answers() {
    static std::FILE* const answers = [] {
        std::FILE* file = std::tmpfile();
        if (file == nullptr) throw std::runtime_error("cannot create the pause answers");
        for (int line = 0; line < 4096; ++line) std::fputs("go\n", file);
        return file;
    }();
    std::rewind(answers);
    return answers;
}

}  // namespace fuzz_support
