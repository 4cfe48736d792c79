#pragma once
// Temporary directories and whole-file helpers for tests.

#include <filesystem>
#include <string>
#include <string_view>

namespace test_support {

// A fresh directory under the system's temporary folder, removed with everything in it at the end.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const noexcept { return path_; }
    std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

  private:
    std::filesystem::path path_;
};

std::string read_file(const std::filesystem::path& path);
void write_file(const std::filesystem::path& path, std::string_view contents);
// Text lines joined with CR LF after each, as the programs write their records.
std::string crlf_lines(std::initializer_list<std::string_view> lines);

}  // namespace test_support
