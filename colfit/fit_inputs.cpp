// Reading ParsToFit.txt, TimeAndCoords.txt and ExpData.txt as the generator reads them, with the
// line of any record that cannot be read.
#include "colfit/fit_inputs.hpp"

#include <optional>
#include <span>

#include "common/allocation.hpp"
#include "common/failure.hpp"
#include "common/record_file.hpp"
#include "pestprep/generator_inputs.hpp"

namespace colfit {
namespace {

constexpr std::string_view kSystemFiles = "SystemFiles";

[[noreturn]] void unreadable(const common::RecordFile& file, std::string_view expected,
                             common::SourceLocation where = common::SourceLocation::current()) {
    throw common::IoFailure(file.path(), "cannot read", std::string(expected), file.record_number(), where);
}

constexpr std::string_view kPairExpected =
    "after the heading line, each record must hold two finite numbers: ";

std::int32_t count_pairs(common::RecordFile& file, std::string_view pair) {
    const std::optional<std::int32_t> count = pestprep::count_observation_records(file, file.path());
    if (!count) unreadable(file, std::string(kPairExpected) + std::string(pair));
    common::require(file.rewind(), file.path(), "cannot rewind");
    return *count;
}

void load_pairs(common::RecordFile& file, std::string_view pair, std::span<double> first,
                std::span<double> second) {
    if (!pestprep::load_observation_pairs(file, file.path(), first, second))
        unreadable(file, std::string(kPairExpected) + std::string(pair));
}

}  // namespace

InputPaths input_paths(const common::RunDirectory& run) {
    return {run.file(kSystemFiles, "ParsToFit.txt"), run.file(kSystemFiles, "TimeAndCoords.txt"),
            run.file(kSystemFiles, "ExpData.txt")};
}

FitInputs read_fit_inputs(const InputPaths& paths) {
    using common::OpenMode;
    using common::RecordFile;
    RecordFile pars_file = RecordFile::open_or_fail(paths.pars_to_fit, OpenMode::existing);
    RecordFile time_file = RecordFile::open_or_fail(paths.time_coords, OpenMode::existing);
    RecordFile exp_file = RecordFile::open_or_fail(paths.exp_data, OpenMode::existing);

    constexpr std::string_view kExpPair = "the measured value and its weight";
    constexpr std::string_view kTimePair =
        "the time and the position (the solute concentration when sorbing)";
    const std::int32_t cNum = count_pairs(exp_file, kExpPair);
    const std::int32_t tNum = count_pairs(time_file, kTimePair);
    if (tNum != cNum) {
        throw common::IoFailure(paths.time_coords, "cannot pair the observations of",
                                "it holds " + std::to_string(tNum) + " records after its heading line, " +
                                    paths.exp_data + " holds " + std::to_string(cNum) +
                                    ": line i of both files is observation i");
    }

    FitInputs inputs;
    inputs.paths = paths;
    pestprep::Observations& o = inputs.observations;
    o.cexpvector = common::allocate_array<double>(cNum);
    o.weightvector = common::allocate_array<double>(cNum);
    o.tvector = common::allocate_array<double>(cNum);
    o.xvector = common::allocate_array<double>(cNum);
    load_pairs(exp_file, kExpPair, o.cexpvector, o.weightvector);
    load_pairs(time_file, kTimePair, o.tvector, o.xvector);
    if (!pestprep::load_pars_to_fit(pars_file, paths.pars_to_fit, inputs.pars)) {
        unreadable(pars_file,
                   "after the heading line, each of the 12 records must hold a finite initial value, an "
                   "integer fit flag, finite lower and upper bounds and a label");
    }
    return inputs;
}

}  // namespace colfit
