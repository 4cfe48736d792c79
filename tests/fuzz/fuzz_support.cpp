#include "tests/fuzz/fuzz_support.hpp"

#include <cerrno>
#include <cstdlib>
#include <stdexcept>
#include <system_error>

namespace fuzz_support {
namespace {

// The folder, removed with its files when the process ends normally.
class ScratchDirectory {
  public:
    ScratchDirectory() {
        std::string pattern = (std::filesystem::temp_directory_path() / "ct_fuzz_XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::system_error(errno, std::generic_category(), "cannot create " + pattern);
        }
        path_ = pattern;
    }
    ~ScratchDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    const std::filesystem::path& path() const noexcept { return path_; }

  private:
    std::filesystem::path path_;
};

}  // namespace

const std::filesystem::path& scratch_directory() {
    static const ScratchDirectory directory;
    return directory.path();
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
