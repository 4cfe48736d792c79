#include "pestprep/entry.hpp"

#include "common/allocation.hpp"
#include "common/console.hpp"
#include "common/run_directory.hpp"
#include "pestprep/control_file.hpp"
#include "pestprep/entry_texts.hpp"
#include "pestprep/generator_files.hpp"
#include "pestprep/generator_inputs.hpp"
#include "pestprep/template_files.hpp"

namespace pestprep {
namespace {

common::ExitStatus report(InputFailure failure) {
    common::console_list({input_failure_text(failure)});
    return common::ExitStatus::handled_failure;
}

// The two observation files describe different numbers of points: the run cannot go on.
[[noreturn]] void end_with_count_mismatch(std::int32_t tNum, std::int32_t cNum) {
    for (const std::string_view text : entry_texts::kCountMismatchLead) common::console_list({text});
    common::console_list({entry_texts::kTNumLabel, tNum, entry_texts::kCNumLabel, cNum});
    for (const std::string_view text : entry_texts::kCountMismatchTail) common::console_list({text});
    common::pause();
    common::stop();
}

void rewind(common::RecordFile& file) {
    common::require(file.rewind(), file.path(), "cannot rewind");
}

}  // namespace

common::ExitStatus run(int argc, char** argv, ChangeLimit change_limit) {
    const common::Discovery discovery = common::discover_run_directory(
        common::process_discovery_inputs(argc, argv), common::kGeneratorWorkWidth);
    common::console_list({discovery.message});
    GeneratorFiles files = open_generator_files(discovery.run);
    common::console_list({entry_texts::kStarted});

    const std::optional<std::int32_t> cNum = count_observation_records(files.exp_data, files.exp_data.path());
    if (!cNum) return report(InputFailure::counting_expdata);
    rewind(files.exp_data);
    const std::optional<std::int32_t> tNum =
        count_observation_records(files.time_coords, files.time_coords.path());
    if (!tNum) return report(InputFailure::counting_timeandcoords);
    rewind(files.time_coords);
    if (*tNum != *cNum) end_with_count_mismatch(*tNum, *cNum);

    Observations observations;
    observations.cexpvector = common::allocate_array<double>(*cNum);
    observations.weightvector = common::allocate_array<double>(*cNum);
    observations.tvector = common::allocate_array<double>(*cNum);
    observations.xvector = common::allocate_array<double>(*cNum);
    ParsToFit pars;

    if (!load_observation_pairs(files.exp_data, files.exp_data.path(), observations.cexpvector,
                                observations.weightvector)) {
        return report(InputFailure::loading_expdata);
    }
    if (!load_observation_pairs(files.time_coords, files.time_coords.path(), observations.tvector,
                                observations.xvector)) {
        return report(InputFailure::loading_timeandcoords);
    }
    if (!load_pars_to_fit(files.pars_to_fit, files.pars_to_fit.path(), pars)) {
        return report(InputFailure::loading_parstofit);
    }

    creating_files::print_ins_file(files.print_ins, *cNum);
    creating_files::input_tpl_file(files.input_tpl, observations.tvector, observations.xvector);
    creating_files::tracer_fit_pst_file(files.control, files.backup, observations.cexpvector,
                                        observations.weightvector, pars, change_limit);

    close_generator_files(files);
    for (const std::string_view text : entry_texts::kFinished) common::console_list({text});
    return common::ExitStatus::success;
}

}  // namespace pestprep
