// One main for both generators: PESTPREP_KEEP_CHANGE_LIMIT selects pestprep_keeplim, which keeps each
// parameter's change limit from the existing control file.
#include "common/program_info.hpp"
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

constexpr std::string_view kHelp = R"(Usage: pestprep [--help | --version]
       pestprep_keeplim [--help | --version]

Prepares a PEST calibration of coltrans. Works in the folder that holds the program (not the current
folder) and reads:
  SystemFiles/ParsToFit.txt      a heading, then 12 records: initial value, fit flag (1 estimated,
                                 anything else fixed), lower bound, upper bound, label
  SystemFiles/TimeAndCoords.txt  a heading, then one record per observation: time, position
  SystemFiles/ExpData.txt        a heading, then one record per observation: concentration, weight
  tracer_fit.pst                 an existing PEST control file for the twelve parameters
Writes input.tpl (template of input.txt), print.ins (instructions to read print.txt), the rewritten
tracer_fit.pst (replaced only once complete) and its previous version in tracer_fit_pst_temp.txt.
pestprep chooses each change limit from the signs of the bounds; pestprep_keeplim keeps the one in
the control file.

Exit status: 0 the files were written; 1 a reported failure ended the run; 2 an input or output
failure without a handler (a diagnostic names the file and cause).)";

}  // namespace

int main(int argc, char** argv) {
    return common::run_program(kProgramName, [&] {
        if (const auto answered = common::answer_info_arguments(argc, argv, {kProgramName, kHelp}))
            return *answered;
        return pestprep::run(argc, argv, kChangeLimit);
    });
}
