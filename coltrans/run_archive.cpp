#include "coltrans/run_archive.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "common/failure.hpp"
#include "common/format.hpp"
#include "common/io_result.hpp"

namespace coltrans {
namespace {

constexpr std::string_view kArchiveFolder = "Saved_Simulations";
constexpr std::string_view kArchiveName = "Total_Runs1.txt";

bool is_absolute(std::string_view directory, char separator) {
    if (!directory.empty() && directory.front() == separator) return true;
    // A drive letter and colon, as in C:\runs.
    return separator == '\\' && directory.size() >= 2 && directory[1] == ':';
}

// The directory without "." components, with each ".." removing the component before it and
// repeated separators joined. Its first part (empty for "/a/b", "C:" for "C:\a") is kept.
std::string lexically_normal(std::string_view directory, char separator) {
    const std::size_t first = directory.find(separator);
    const std::string_view root = directory.substr(0, first);
    std::vector<std::string_view> parts;
    std::size_t start = first == std::string_view::npos ? directory.size() : first + 1;
    while (start < directory.size()) {
        std::size_t end = directory.find(separator, start);
        if (end == std::string_view::npos) end = directory.size();
        const std::string_view part = directory.substr(start, end - start);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    std::string normal(root);
    for (const std::string_view part : parts) {
        normal.push_back(separator);
        normal.append(part);
    }
    return normal;
}

std::optional<std::string> process_current_directory() {
    std::vector<char> buffer(4096);
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE || buffer.size() > (1U << 20)) return std::nullopt;
        buffer.resize(buffer.size() * 2);
    }
    return std::string(buffer.data());
}

// Whether the folder that should hold the archive is missing.
bool folder_missing(const std::string& path) {
    const std::size_t last = path.find_last_of("/\\");
    if (last == std::string::npos || last == 0) return false;
    struct stat info {};
    return ::stat(path.substr(0, last).c_str(), &info) != 0 && errno == ENOENT;
}

}  // namespace

std::string run_archive_path(const common::RunDirectory& run,
                             const std::optional<std::string>& current_directory) {
    std::string directory = run.directory;
    if (!directory.empty() && !is_absolute(directory, run.separator) && current_directory) {
        directory = lexically_normal(*current_directory + run.separator + directory, run.separator);
    }
    const std::size_t last = directory.rfind(run.separator);
    std::string path = last == std::string::npos ? std::string() : directory.substr(0, last);
    path.push_back(run.separator);
    path.append(kArchiveFolder);
    path.push_back(run.separator);
    path.append(kArchiveName);
    return path;
}

std::string run_archive_path(const common::RunDirectory& run) {
    return run_archive_path(run, process_current_directory());
}

RunArchive RunArchive::open(const common::RunDirectory& run) {
    return open_path(run_archive_path(run));
}

RunArchive RunArchive::open_path(std::string path) {
    common::RecordFile file;
    const common::IoResult opened = file.open(path, common::OpenMode::append);
    if (!opened) {
        const bool no_folder = folder_missing(path);
        throw common::IoFailure(std::move(path),
                                no_folder
                                    ? "cannot open the run archive (the folder Saved_Simulations beside the "
                                      "run directory must exist)"
                                    : "cannot open the run archive",
                                opened.cause);
    }
    // Without a lock (a file system that has none) the block is appended as it stands.
    (void)file.lock_exclusive();
    // Decided under the lock: an incomplete last record is ended, so that this block starts on a
    // line of its own.
    common::require(file.end_incomplete_record(), file.path(), "cannot write to the run archive");
    return RunArchive(std::move(file));
}

common::IoResult RunArchive::write(std::string_view record) {
    return file_.write_record(record);
}

void RunArchive::write_or_fail(std::string_view record) {
    common::require(file_.write_record(record), file_.path(), "cannot write to the run archive");
}

void RunArchive::write_block_start(std::int32_t results, float cpu_seconds, float sim_mode) {
    static const common::Format cpu_time_format("(F12.5)");
    write_or_fail(common::list_record({}));
    write_or_fail(common::list_record({}));
    write_or_fail(common::list_record({"***New Simulation***"}));
    write_or_fail(common::list_record({results}));
    write_or_fail(cpu_time_format.apply({cpu_seconds}));
    write_or_fail(common::list_record({" Simulation type, SimuMode"}));
    write_or_fail(common::list_record({sim_mode}));
}

void RunArchive::write_parameter(std::string_view label, double value) {
    write_or_fail(common::list_record({label}));
    write_or_fail(common::list_record({value}));
}

common::IoResult RunArchive::close() {
    if (!file_.is_open()) return {};
    common::IoResult result = file_.flush();
    const common::IoResult closed = file_.close();  // closing the descriptor releases the lock
    if (result && !closed) result = closed;
    return result;
}

}  // namespace coltrans
