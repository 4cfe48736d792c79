#pragma once
// Replacing a file as a whole. The new contents are written to a temporary file beside the old
// one, put on disk, and renamed over the old file only once they are complete: until then the old
// file keeps every byte, and a replacement that is abandoned leaves nothing behind.
//
// The temporary file is named after the target, ".partial-" and six characters (for example
// "control.pst.partial-a1B2c3"). A program killed while it replaces a file leaves it behind; the
// next replacement of the same target removes it. Each replacement holds a lock on its temporary file, so
// that one still being written is never taken for a left-over.

#include <cstddef>
#include <string>
#include <string_view>

#include "common/io_result.hpp"
#include "common/record_file.hpp"

namespace common {

// The first `count` lines of a file exactly as they stand on disk, each with its own line end
// (fewer lines when the file holds fewer; a last line without a line end as it stands).
IoResult read_leading_lines(const std::string& path, std::size_t count, std::string& bytes);

class ReplacementFile {
  public:
    ReplacementFile() = default;
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;
    // A replacement that was not committed is discarded.
    ~ReplacementFile();

    // Starts new contents for `target`: a fresh temporary file in the same directory, with the
    // target's permissions, that begins with `head` byte for byte. Temporary files that earlier
    // replacements of the target left behind are removed first. Fails when the target exists and
    // may not be written, or when no file can be created beside it.
    IoResult begin(std::string target, std::string_view head);

    // The records that follow the head.
    RecordFile& records() noexcept { return records_; }
    const std::string& temporary_path() const noexcept { return temporary_; }

    // Puts the new contents on disk and renames them over the target. On failure the target is
    // left as it was and the temporary file is removed.
    IoResult commit();

    // Removes the temporary file; the target is left as it was.
    void discard() noexcept;

  private:
    std::string target_;
    std::string temporary_;
    RecordFile records_;
    int lock_ = -1;         // descriptor of the temporary file that holds its lock
    bool pending_ = false;  // a temporary file exists that has not been renamed
};

}  // namespace common
