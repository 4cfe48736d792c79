#include "pestprep/generator_inputs.hpp"

#include <array>
#include <cmath>
#include <utility>

#include "common/list_input.hpp"

namespace pestprep {
namespace {

constexpr std::size_t kLabelLength = 150;

// The outcome of a read whose error condition has a handler and whose end of file has none.
bool read_succeeded(const common::IoResult& result, const std::string& path, std::string_view action) {
    if (result.is_end()) common::require(result, path, action);
    return static_cast<bool>(result);
}

constexpr std::array<std::pair<InputFailure, std::string_view>, 5> kFailureTexts{{
    {InputFailure::counting_expdata, "Error found during the reading of ExpData.txt "},
    {InputFailure::counting_timeandcoords, "Error found during the reading of TimeAndCoords.txt "},
    {InputFailure::loading_expdata,
     "Error found during the extraction of the expData. PLz  check the expData.txt file "},
    {InputFailure::loading_timeandcoords,
     "Error found during the extraction of the TimeAndCoords. PLz check the TimeAndCoords.txt file"},
    {InputFailure::loading_parstofit,
     "Error found during the extraction of the parsToFit data. PLz  check the parsToFit.txt file "},
}};

// A value that the control file and the template can carry: PEST reads no NaN and no infinity.
bool all_finite(std::initializer_list<double> values) {
    for (const double value : values) {
        if (!std::isfinite(value)) return false;
    }
    return true;
}

}  // namespace

std::string_view input_failure_text(InputFailure failure) {
    for (const auto& [code, text] : kFailureTexts) {
        if (code == failure) return text;
    }
    return {};
}

std::optional<std::int32_t> count_observation_records(common::RecordSource& file, const std::string& path) {
    if (!read_succeeded(common::skip_record(file), path, "cannot read the heading line of"))
        return std::nullopt;
    std::int32_t count = 0;
    while (true) {
        double first = 0.0;
        double second = 0.0;
        const common::IoResult result = common::read_list(file, {&first, &second});
        if (result.is_end()) return count;
        if (!result) return std::nullopt;
        ++count;
    }
}

bool load_observation_pairs(common::RecordSource& file, const std::string& path, std::span<double> first,
                            std::span<double> second) {
    if (!read_succeeded(common::skip_record(file), path, "cannot read the heading line of")) return false;
    for (std::size_t i = 0; i < first.size(); ++i) {
        if (!read_succeeded(common::read_list(file, {&first[i], &second[i]}), path,
                            "cannot read observation " + std::to_string(i + 1) + " of") ||
            !all_finite({first[i], second[i]})) {
            return false;
        }
    }
    return true;
}

bool load_pars_to_fit(common::RecordSource& file, const std::string& path, ParsToFit& pars) {
    if (!read_succeeded(common::skip_record(file), path, "cannot read the heading line of")) return false;
    std::string label;
    for (std::size_t r = 0; r < kParameterCount; ++r) {
        const common::IoResult result =
            common::read_list(file, {&pars.parvalue[r], &pars.parfitflag[r], &pars.parboundarymin[r],
                                     &pars.parboundarymax[r], common::TextItem{&label, kLabelLength}});
        if (!read_succeeded(result, path, "cannot read parameter record " + std::to_string(r + 1) + " of") ||
            !all_finite({pars.parvalue[r], pars.parboundarymin[r], pars.parboundarymax[r]})) {
            return false;
        }
    }
    return true;
}

}  // namespace pestprep
