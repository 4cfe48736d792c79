// colfit: calibrates the models against the generator's inputs in-process, with the statistics a
// scientist reports.
#include "colfit/entry.hpp"
#include "common/program_info.hpp"
#include "common/program_main.hpp"

namespace {

constexpr std::string_view kHelp = R"(Usage: colfit [--starts N] [--threads N] [--max-iterations N] [RUN_DIR]
       colfit [--help | --version]

Fits the model of SimMode to measured data by weighted least squares, in-process: the same problem
that a calibration of coltrans by PEST or PEST++ poses with the files pestprep writes. RUN_DIR is the
folder that holds the program unless given. Reads:
  RUN_DIR/SystemFiles/ParsToFit.txt      12 records: initial value, fit flag (1 estimated, anything
                                         else fixed; l2 with flag 1 is tied to Kirr at the ratio of
                                         their initial values while Kirr is estimated), lower bound,
                                         upper bound, label
  RUN_DIR/SystemFiles/TimeAndCoords.txt  time [hr] and position [cm] per observation (time and
                                         solute concentration in the sorption modes)
  RUN_DIR/SystemFiles/ExpData.txt        measured value and weight per observation
Writes into RUN_DIR: fit_parameters.par (fitted values, PEST's parameter value file),
fit_summary.json, fit_report.txt (values, standard errors, 95 % intervals, correlations, warnings),
fit_curve.txt (measured, fitted, residual per observation), fit_input.txt (an input.txt with the
fitted values that coltrans runs as it is), fit.png and its gnuplot script fit.gp.

Options:
  --starts N          fit from the initial values and N - 1 more starts spread over the bounds
                      (Latin hypercube), and report how far the starts that reach the best phi spread
  --threads N         threads that evaluate the model (default: one per core)
  --max-iterations N  iterations of the solver per start (default 100)

Exit status: 0 the fit converged; 1 it did not (its files are written all the same), or the
arguments cannot be used, or the model cannot be evaluated at the initial values (nothing written);
2 an input that cannot pose a fit, or a file that cannot be read or written (a diagnostic names the
file, the line and the cause; nothing written).)";

}  // namespace

int main(int argc, char** argv) {
    return common::run_program("colfit", [&] {
        if (const auto answered = common::answer_info_arguments(argc, argv, {"colfit", kHelp}))
            return *answered;
        return colfit::run(argc, argv);
    });
}
