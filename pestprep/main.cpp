// One main for both generators: PESTPREP_KEEP_CHANGE_LIMIT selects pestprep_keeplim, which keeps each
// parameter's change limit from the existing control file.
#include "common/program_main.hpp"
#include "pestprep/entry.hpp"

#ifndef PESTPREP_KEEP_CHANGE_LIMIT
#define PESTPREP_KEEP_CHANGE_LIMIT 0
#endif

namespace {

constexpr bool kKeepChangeLimit = PESTPREP_KEEP_CHANGE_LIMIT != 0;
constexpr const char* kProgramName = kKeepChangeLimit ? "pestprep_keeplim" : "pestprep";
constexpr pestprep::ChangeLimit kChangeLimit =
    kKeepChangeLimit ? pestprep::ChangeLimit::kept_from_file : pestprep::ChangeLimit::from_bounds;

}  // namespace

int main(int argc, char** argv) {
    return common::run_program(kProgramName, [&] { return pestprep::run(argc, argv, kChangeLimit); });
}
