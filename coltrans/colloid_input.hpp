#pragma once
// input.txt of the colloid modes: the sixteen settings lines, then one point (t, x) per line.
//
// The settings are read once when the file is opened; a settings line that cannot be read ends the
// program (unhandled). The point list is read twice: a counting pass to the end of the file, then,
// after a rewind past the settings, one point at a time as the computation goes.

#include <cstdint>
#include <optional>
#include <string>

#include "coltrans/colloid_settings.hpp"
#include "common/record_file.hpp"

namespace coltrans {

inline constexpr int kSettingsLines = 16;

enum class PointRead {
    point,       // a pair was read
    end,         // the end of the file: the point list is done
    unreadable,  // a pair (or a settings line skipped after the rewind) cannot be read
};

class ColloidInput {
  public:
    // Opens input.txt, which must exist, and reads lines 1 to 16.
    explicit ColloidInput(std::string path);

    const ColloidSettings& settings() const noexcept { return settings_; }
    const std::string& path() const noexcept { return file_.path(); }

    // Counting pass: reads pairs from the current position to the end of the file. The number of
    // pairs, or nullopt when one cannot be read.
    std::optional<std::int32_t> count_points();

    // Rewinds and skips the sixteen settings lines; false when that fails or meets the end.
    bool rewind_to_points();

    // Second pass: the next pair. A last line with a single number is met as the end.
    PointRead next_point(double& t, double& x);

    // The read that failed last (a pair, or a settings line after the rewind): its cause, and the
    // line and its text where it has them.
    const common::IoResult& failed_read() const noexcept { return failed_read_; }

    common::IoResult close() { return file_.close(); }

  private:
    common::RecordFile file_;
    ColloidSettings settings_;
    common::IoResult failed_read_;
};

}  // namespace coltrans
