#pragma once
// The console records with which every model ends its computation: the marks "100" and "110",
// then the time line.

#include <string>

namespace coltrans {

// The two free-format records "100" and "110".
void write_completion_marks();

// "(A44,F10.3,A5)": "Total Time of Operations" right-justified in 44 columns, the CPU seconds of
// the computation, " Secs".
std::string time_record(float cpu_seconds);
void write_time_line(float cpu_seconds);

}  // namespace coltrans
