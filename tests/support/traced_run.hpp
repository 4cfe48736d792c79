#pragma once
// A program run under ptrace, so that a test can end it at a chosen moment as a kill by the user,
// by a calibration engine or by the system would: at one of its system calls that can change a
// file. The same run reports the program's own CPU time and peak memory.

#include <cstddef>
#include <vector>

#include "tests/support/program_runner.hpp"

namespace test_support {

// Whether this process may trace the programs it starts (a container may forbid ptrace).
bool tracing_available();

enum class KillPoint {
    before_call,   // killed as the call begins: the call does not happen
    within_write,  // a write is cut to half its length and the program is killed as it returns, as
                   // a kill or a full disk in the middle of a write leaves a file (x86-64 only;
                   // elsewhere, and for calls other than writes, as before_call)
};

struct TracedRun {
    bool killed = false;              // killed at the call asked for
    bool write_cut = false;           // the call it was killed at was a write, cut short
    int status = -1;                  // exit status when the program ended by itself
    std::size_t file_calls = 0;       // calls that can change a file, up to the end or the kill
    std::vector<std::size_t> writes;  // which of them (counting from 1) were plain writes
    double cpu_seconds = 0.0;         // user and system time of the program
    long peak_rss_kb = 0;             // peak resident memory of the program itself (VmHWM as it ended)
};

// Runs the program of `options` (executable, argument 0, arguments, working directory; standard
// input empty, output discarded) and, when kill_at > 0, kills it with SIGKILL at its kill_at-th
// call that can change a file (writes, opens, renames, removals, truncations, syncs).
TracedRun run_traced(const ProgramOptions& options, std::size_t kill_at = 0,
                     KillPoint point = KillPoint::before_call);

// Runs the program to its end as run_traced does, for its CPU time and peak memory. Where tests may
// not trace programs, it runs untraced and the peak memory is the system's figure for the process,
// which counts the test's own memory at the moment the program was started.
TracedRun measure_run(const ProgramOptions& options);

}  // namespace test_support
