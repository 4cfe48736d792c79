#pragma once
// Console records (standard output) and the pause and stop of the error stream.

#include <cstdio>
#include <initializer_list>
#include <string_view>

#include "common/format.hpp"

namespace common {

// One record on standard output, ended with CR LF and flushed.
void console_record(std::string_view text);
// One free-format record on standard output.
inline void console_list(std::initializer_list<OutItem> items) {
    console_record(list_record(items));
}
// One record on the error stream.
void error_record(std::string_view text);

// Pause: "PAUSE " and the message on the error stream, then the prompt; one line is read from
// `answers`. "go" resumes ("RESUMED"); any other answer, or the end of the input, ends the program
// by throwing ProgramEnd (a handled failure).
void pause(std::string_view message = {}, std::FILE* answers = stdin);

// Stop: "STOP " and the message on the error stream (nothing for an empty message), then the
// program ends by throwing ProgramEnd (a handled failure).
[[noreturn]] void stop(std::string_view message = {});

}  // namespace common
