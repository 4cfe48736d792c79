#pragma once
// What a folder holds before and after a run, to show that a run damaged no file; and the checks
// that every bad input shares.

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/temp_dir.hpp"

namespace e2e_files {

// Every regular file under `root` (symbolic links and the programs excepted) by its path relative
// to `root`, with its contents.
using Snapshot = std::map<std::string, std::string>;

inline Snapshot snapshot(const std::filesystem::path& root) {
    Snapshot files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        if (entry.is_symlink() || !entry.is_regular_file()) continue;
        const std::string name = entry.path().filename().string();
        if (name == "coltrans" || name == "pestprep" || name == "pestprep_keeplim") continue;
        files[std::filesystem::relative(entry.path(), root).string()] = test_support::read_file(entry.path());
    }
    return files;
}

// The files that changed, appeared or disappeared.
inline std::vector<std::string> changed_files(const Snapshot& before, const Snapshot& after) {
    std::vector<std::string> names;
    for (const auto& [name, contents] : before) {
        const auto found = after.find(name);
        if (found == after.end() || found->second != contents) names.push_back(name);
    }
    for (const auto& [name, contents] : after) {
        if (!before.contains(name)) names.push_back(name);
    }
    return names;
}

// Bytes that no editor writes into these files: bytes 128 to 255, NUL, CR and LF (no digit, no
// letter, no blank), the same for every run of the tests.
inline std::string binary_garbage(std::size_t size) {
    std::string bytes;
    std::uint32_t state = 2463534242U;
    while (bytes.size() < size) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        const unsigned value = state % 131;
        bytes.push_back(value < 128 ? static_cast<char>(128 + value) : "\0\r\n"[value - 128]);
    }
    return bytes;
}

// A diagnostic that a user can read: it names the file and the cause, in printable characters,
// in a few lines.
inline bool is_clear_diagnostic(const std::string& err, std::string_view file, std::string_view cause) {
    if (err.find(file) == std::string::npos || err.find(cause) == std::string::npos || err.size() > 2000)
        return false;
    for (const char c : err) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 && c != '\r' && c != '\n') || byte >= 0x7F) return false;
    }
    return true;
}

}  // namespace e2e_files
