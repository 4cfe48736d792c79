#pragma once
// Process CPU time (user plus system) in seconds: in double precision for measurements, and in the
// single precision the run records carry.

namespace common {

double process_cpu_time();
float process_cpu_seconds();

}  // namespace common
