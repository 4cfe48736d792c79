#pragma once
// The run archive Saved_Simulations/Total_Runs1.txt beside the run directory, to which every run
// appends one block. Calibration engines run many copies of the simulator at once in sibling run
// directories, which share one archive: a block is written under an exclusive lock on the archive,
// held from its first record to its last, so that blocks of concurrent runs never interleave.
//
// Block start (every mode): two one-blank records, "***New Simulation***", the number of result
// records (free-format integer), the CPU seconds "(F12.5)", " Simulation type, SimuMode" and the
// mode (free-format single-precision real). Then the mode's parameter records and results.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/record_file.hpp"
#include "common/run_directory.hpp"

namespace coltrans {

// Where the archive of a run directory lies: its parent directory, then Saved_Simulations and
// Total_Runs1.txt. A relative run directory (such as "." or "run1", from argument 0 "./coltrans" or
// "run1/coltrans") is first resolved against the current directory, so that the parent is the real
// one; an absolute run directory is taken as it is.
std::string run_archive_path(const common::RunDirectory& run,
                             const std::optional<std::string>& current_directory);
// The same with the current directory of this process.
std::string run_archive_path(const common::RunDirectory& run);

class RunArchive {
  public:
    // Opens the archive for appending and takes the lock. When it cannot be opened (typically
    // because the folder Saved_Simulations does not exist) the program ends with a diagnostic that
    // names the archive's path (unhandled).
    static RunArchive open(const common::RunDirectory& run);
    static RunArchive open_path(std::string path);

    const std::string& path() const noexcept { return file_.path(); }

    // One record, with the failure returned to the caller.
    common::IoResult write(std::string_view record);
    // One record; a failure ends the program (unhandled).
    void write_or_fail(std::string_view record);

    // Lines 1 to 7 of a block (unhandled failures).
    void write_block_start(std::int32_t results, float cpu_seconds, float sim_mode);
    // A label record and its value as a free-format double-precision real (unhandled failures).
    void write_parameter(std::string_view label, double value);

    // Writes what is still buffered, releases the lock and closes the archive. Closing twice does
    // nothing; the destructor closes as well.
    common::IoResult close();

  private:
    explicit RunArchive(common::RecordFile file) : file_(std::move(file)) {}
    common::RecordFile file_;
};

}  // namespace coltrans
