#include "common/cpu_time.hpp"

#include <ctime>

namespace common {

double process_cpu_time() {
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

float process_cpu_seconds() {
    return static_cast<float>(process_cpu_time());
}

}  // namespace common
