#pragma once
// The run archive block of a colloid-mode run: the block start, the ten settings of lines 2 to 11
// each after its label, then every record of this run's print.txt as exactly 200 columns.

#include <array>
#include <cstdint>
#include <string_view>

#include "coltrans/colloid_failures.hpp"
#include "coltrans/colloid_settings.hpp"
#include "common/record_file.hpp"
#include "common/run_directory.hpp"

namespace coltrans {

// The labels under which the archive lists lines 2 to 11, in their order.
std::array<std::string_view, 10> archive_labels(ColloidFamily family);

enum class ArchiveCopy {
    complete,            // the block is whole
    result_unreadable,   // a record of print.txt could not be read back
    archive_unwritable,  // a record of the copy could not be written to the archive
};

struct ArchiveCopyOutcome {
    ArchiveCopy copy = ArchiveCopy::complete;
    FailurePlace failure;  // where the copy failed, when it did
};

// Appends the block. Opening the archive and writing the first 27 records have no handler (the
// program ends); the copy of print.txt reports its failures. The archive is closed, and its lock
// released, when this returns.
ArchiveCopyOutcome append_colloid_block(const common::RunDirectory& run, ColloidFamily family,
                                        const ColloidSettings& settings, std::int32_t results,
                                        float cpu_seconds, common::RecordFile& print_txt);

}  // namespace coltrans
