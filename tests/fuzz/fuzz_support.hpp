#pragma once
// What the fuzz targets share: a scratch folder of the process for the files that the readers and
// the models insist on (input.txt, fort.9), answers for the pauses of a run, and the designed ends
// of a run told apart from real faults.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#include "common/failure.hpp"

namespace fuzz_support {

// A folder of this process under the system's temporary folder, created at the first call and
// removed with its files when the process ends normally. Nothing is written into the current
// directory, where the fuzzer keeps its corpus and artifacts.
const std::filesystem::path& scratch_directory();

// Writes `contents` to the file `name` of the scratch folder, replacing it, and returns its path.
std::string write_scratch_file(std::string_view name, std::string_view contents);

// The answers that a pause reads: "go" on every line, from the first line again at every call, so
// that a run resumes after each pause and goes on.
std::FILE* resuming_answers();

// The fuzz input as text.
inline std::string_view text_of(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// Runs one case. The ways a run is meant to end early (a handled failure that stops the program,
// an unhandled input or output failure, an allocation that fails) return here; anything else
// escapes and is reported by the fuzzer as a fault.
template <typename Body>
void run_case(Body&& body) {
    try {
        body();
    } catch (const common::ProgramEnd&) {
    } catch (const common::IoFailure&) {
    } catch (const common::AllocationFailure&) {
    }
}

}  // namespace fuzz_support
