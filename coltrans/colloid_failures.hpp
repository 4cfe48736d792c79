#pragma once
// The handled failures of the colloid models: two records in the message file, a note that names
// the failure on the error stream, then a pause.

#include <cstddef>
#include <string>

#include "common/io_result.hpp"
#include "common/message_file.hpp"

namespace coltrans {

enum class ColloidFailure {
    input_points,     // a point line cannot be read
    input_rewind,     // a settings line skipped after the rewind cannot be read
    result_readback,  // a record of print.txt cannot be read back for the run archive
    archive_append,   // a record cannot be written to the run archive
};

// Where a failure lies: the file, the line of it (0 when there is none), the text of that line
// (empty when it is not shown) and the cause.
struct FailurePlace {
    std::string file;
    std::size_t line = 0;
    std::string line_text;
    std::string cause;

    // The place of a read that failed: its line and the line's text when the read has them.
    static FailurePlace of_read(std::string file, const common::IoResult& read);
};

// The note on the error stream: what failed, the file, its line and that line's text where there
// are such, and the cause. One record.
std::string colloid_failure_note(ColloidFailure failure, const FailurePlace& place);

// Writes the failure's text and "The system is Paused and will close" to the message file, the note
// to the error stream, then pauses without a message. Returns when the pause is resumed; any other
// answer ends the program.
void report_colloid_failure(common::MessageFile& messages, ColloidFailure failure, const FailurePlace& place);

}  // namespace coltrans
