#include "coltrans/completion_console.hpp"

#include "common/console.hpp"
#include "common/format.hpp"

namespace coltrans {

void write_completion_marks() {
    common::console_list({"100"});
    common::console_list({"110"});
}

std::string time_record(float cpu_seconds) {
    static const common::Format format("(A44,F10.3,A5)");
    return format.apply({"Total Time of Operations", cpu_seconds, " Secs"});
}

void write_time_line(float cpu_seconds) {
    common::console_record(time_record(cpu_seconds));
}

}  // namespace coltrans
