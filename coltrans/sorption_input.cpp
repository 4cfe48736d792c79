#include "coltrans/sorption_input.hpp"

#include "coltrans/sorption_messages.hpp"
#include "common/allocation.hpp"
#include "common/format.hpp"
#include "common/list_input.hpp"
#include "models/sorption_laws.hpp"

namespace coltrans::adsorption {
namespace {

constexpr int kSettingsLines = 16;

// One settings statement: an end of file has no handler, any other failure is reported.
bool read_settings_line(common::RecordFile& input, std::initializer_list<common::InItem> items, int line) {
    const common::IoResult result = common::read_list(input, items);
    if (result.is_end())
        common::require(result, input.path(), "cannot read line " + std::to_string(line) + " of");
    return static_cast<bool>(result);
}

bool read_settings(common::RecordFile& input, SorptionSettings& s) {
    if (!read_settings_line(input, {&s.sim_mode}, 1)) return false;
    for (int k = 0; k < 9; ++k) {
        if (!read_settings_line(input, {&s.par[static_cast<std::size_t>(k)]}, k + 2)) return false;
    }
    return read_settings_line(input, {common::TextItem{&s.line11, 10}}, 11) &&
           read_settings_line(input, {&s.future_var1}, 12) && read_settings_line(input, {&s.line13}, 13) &&
           read_settings_line(input, {common::TextItem{&s.line14, 60}}, 14) &&
           read_settings_line(input, {&s.relative_tolerance, &s.absolute_tolerance, &s.line15_integer}, 15) &&
           read_settings_line(input, {common::TextItem{&s.line16, 10}}, 16);
}

}  // namespace

SorptionInput read_sorption_input(common::RecordFile& input) {
    SorptionInput result;
    SorptionSettings& s = result.settings;
    if (!read_settings(input, s)) {
        result.status = SorptionInputStatus::unreadable_settings_or_count;
        return result;
    }

    // Counting pass: the pairs are read into the storage of lines 12 and 13.
    std::int32_t count = 0;
    while (true) {
        const common::IoResult pair = common::read_list(input, {&s.future_var1, &s.line13});
        if (pair.is_end()) break;
        if (!pair) {
            result.status = SorptionInputStatus::unreadable_settings_or_count;
            return result;
        }
        ++count;
    }
    result.m = count;

    models::globalvars::SorptionRun& run = result.run;
    run.par = s.par;
    run.type_code = models::adsoodesolvermod::sorption_type_code(s.sim_mode);
    run.cexpvector = common::allocate_array<double>(count);
    run.timevector = common::allocate_array<double>(count);

    common::require(input.rewind(), input.path(), "cannot rewind");
    for (int line = 1; line <= kSettingsLines; ++line) {
        if (!common::skip_record(input)) {
            result.status = SorptionInputStatus::unreadable_series;
            return result;
        }
    }
    for (std::int32_t k = 0; k < count; ++k) {
        const auto i = static_cast<std::size_t>(k);
        if (!common::read_list(input, {&run.timevector[i], &run.cexpvector[i]})) {
            result.status = SorptionInputStatus::unreadable_series;
            return result;
        }
    }
    for (std::int32_t k = 1; k < count; ++k) {
        const auto i = static_cast<std::size_t>(k);
        if (!(run.timevector[i] > run.timevector[i - 1])) {
            result.status = SorptionInputStatus::times_not_increasing;
            result.bad_line = k + 1;
            return result;
        }
    }
    return result;
}

std::string sorption_input_message(const SorptionInput& input) {
    switch (input.status) {
        case SorptionInputStatus::ok:
            return {};
        case SorptionInputStatus::unreadable_settings_or_count:
            return common::list_record({sorption_text(SorptionMessage::unreadable_settings)});
        case SorptionInputStatus::unreadable_series:
            return common::list_record({sorption_text(SorptionMessage::unreadable_series)});
        case SorptionInputStatus::times_not_increasing: {
            const auto i = static_cast<std::size_t>(input.bad_line - 1);
            return common::list_record(
                {sorption_text(SorptionMessage::time_order, 0), input.bad_line,
                 sorption_text(SorptionMessage::time_order, 1), input.run.timevector[i],
                 sorption_text(SorptionMessage::time_order, 2), input.run.timevector[i - 1]});
        }
    }
    return {};
}

}  // namespace coltrans::adsorption
