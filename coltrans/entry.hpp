#pragma once
// The simulator's entry: finds the run directory, reads the mode number and the pacing number from
// input.txt, hands the run to one model, and paces the end of the run.

#include <cstdint>
#include <string>

#include "common/failure.hpp"

namespace coltrans {

enum class ModelKind {
    instantaneous,  // 0, 2, 4, 6, 8, 10
    broad_pulse,    // 1, 3, 5, 7, 9, 11
    sorption,       // any other value, NaN included
};

// The model for a mode number, by exact single-precision equality with whole numbers.
ModelKind select_model(float sim_mode);

// The two values that the entry reads from input.txt.
struct EntrySettings {
    float sim_mode = 0.0f;         // line 1
    std::int32_t pace_number = 0;  // fourth value of line 15; 0 when it cannot be read as an integer
};

// Reads line 1 and line 15 of input.txt. A missing file, a line 1 that is not a number, fewer than
// 15 lines or a non-number among the first three values of line 15 end the program (IoFailure).
EntrySettings read_entry_settings(const std::string& input_path);

// The pacing delay g in seconds: PaceNumber x 0.8 / 100, 0.4 when outside 0 to 1.
float pacing_seconds(std::int32_t pace_number);

// How long the end of the run sleeps, in microseconds: 0 when g does not exceed the CPU time the
// model used, or when g x 1 000 000 reaches a whole second (such a sleep fails without sleeping).
std::int64_t pacing_sleep_microseconds(std::int32_t pace_number, float model_cpu_seconds);

// The whole program; returns its exit status.
common::ExitStatus run(int argc, char** argv);

}  // namespace coltrans
