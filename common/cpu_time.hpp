#pragma once
// Process CPU time (user plus system), in single-precision seconds.

namespace common {

float process_cpu_seconds();

}  // namespace common
