#pragma once
// The outcome of one input or output statement.

#include <cstddef>
#include <string>
#include <string_view>
#include "common/source_location.hpp"

namespace common {

enum class IoStatus {
    ok,
    end,    // end-of-file condition: a read past the last record
    error,  // error condition: a value that cannot be read as its item's type, or a system failure
};

struct IoResult {
    IoStatus status = IoStatus::ok;
    std::string cause;      // why, when not ok
    std::size_t items = 0;  // free-format reads: the number of items read before the statement ended
    // The error condition of a free-format read: the number of the record that holds the word that
    // cannot be read, and that record (0 and empty otherwise).
    std::size_t line = 0;
    std::string line_text;

    explicit operator bool() const noexcept { return status == IoStatus::ok; }
    bool is_end() const noexcept { return status == IoStatus::end; }
    bool is_error() const noexcept { return status == IoStatus::error; }

    static IoResult end_of_file(std::size_t items = 0) {
        return {IoStatus::end, "end of file", items, 0, {}};
    }
    static IoResult failed(std::string cause, std::size_t items = 0) {
        return {IoStatus::error, std::move(cause), items, 0, {}};
    }
};

// For statements without a handler of their own: a result that is not ok ends the program with the
// diagnostic that names this source location, the file, the line of it where the result has one,
// and what failed (exit status 2).
void require(const IoResult& result, std::string_view file, std::string_view action,
             SourceLocation where = SourceLocation::current());

}  // namespace common
