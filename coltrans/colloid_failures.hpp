#pragma once
// The handled failures of the colloid models: two records in the message file, then a pause.

#include "common/message_file.hpp"

namespace coltrans {

enum class ColloidFailure {
    input_points,     // a point line, or a settings line skipped after the rewind, cannot be read
    result_readback,  // a record of print.txt cannot be read back for the run archive
    archive_append,   // a record cannot be written to the run archive
};

// Writes the failure's text and "The system is Paused and will close" to the message file, then
// pauses without a message. Returns when the pause is resumed; any other answer ends the program.
void report_colloid_failure(common::MessageFile& messages, ColloidFailure failure);

}  // namespace coltrans
