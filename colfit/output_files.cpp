// Writing the fit's files through the record layer.
#include "colfit/output_files.hpp"

#include "colfit/curve_file.hpp"
#include "colfit/fit_input_file.hpp"
#include "colfit/par_file.hpp"
#include "colfit/plot_files.hpp"
#include "colfit/report_text.hpp"
#include "colfit/summary_json.hpp"
#include "common/file_replacement.hpp"

namespace colfit {

void write_records(const std::string& path, const std::vector<std::string>& records) {
    common::ReplacementFile file;
    common::require(file.begin(path, {}), path, "cannot write");
    for (const std::string& record : records)
        common::require(file.records().write_record(record), path, "cannot write");
    common::require(file.commit(), path, "cannot write");
}

void write_outputs(const common::RunDirectory& run, const FitReport& report,
                   const std::vector<DenseCurve>& curves) {
    write_records(run.file("fit_parameters.par"), parameter_file_records(report.result.values));
    write_records(run.file("fit_summary.json"), summary_records(report));
    write_records(run.file("fit_report.txt"), report_records(report));
    write_records(run.file("fit_curve.txt"), curve_records(report.problem, report.result.fitted));
    write_records(run.file("fit_input.txt"),
                  fit_input_records(report.problem, report.result.values, report.accuracy));
    write_records(run.file(kPlotScript), plot_script_records(report, curves));
}

}  // namespace colfit
