#include "numerics/qag_messages.hpp"

#include <span>
#include <string_view>

#include "common/console.hpp"
#include "numerics/qag_codes.hpp"

namespace numerics {
namespace {

// One step of a report: a record of the message file, a note on the error stream for the person at
// the console, or a pause without a message between records.
struct Step {
    enum class Kind { record, note, pause };
    Kind kind;
    std::string_view text;
};

constexpr Step record(std::string_view text) {
    return {Step::Kind::record, text};
}
constexpr Step note(std::string_view text) {
    return {Step::Kind::note, text};
}
constexpr Step pause_here{Step::Kind::pause, {}};

constexpr Step subdivision_limit_steps[] = {
    record("Maximum number of subdivisions allowed has been achieved.  One can"),
    record("allow more subdivisions by increasing the value of LIMIT in QAG."),
    record(" The below results maybe be correct"),
};
constexpr Step roundoff_steps[] = {
    record("The occurrence of roundoff error is detected, which prevents the"),
    record("requested tolerance from being achieved"),
};
constexpr Step bad_integrand_steps[] = {
    record("Extremely bad integrand behavior occurs at some points of the"),
    record("integration interval."),
};
// The pause stops the run on the console; the record after it follows in the message file.
constexpr Step invalid_input_steps[] = {
    record("the input is invalid, because EPSABS < 0 and EPSREL < 0."),
    note("quadrature: both accuracies are negative (ERRREL and ERRABS on line 15 of input.txt); "
         "the integral is not computed and its value is 0 (message in fort.9)"),
    pause_here,
    record("Press any key to continue"),
};

struct Report {
    int ier;
    bool from_single;  // reported by dqdag (and for the outer integral of dtwodq)
    bool from_inner;   // reported for an inner integral of dtwodq
    std::span<const Step> steps;
};

// Codes 0, 4 and 5, and code 2 of a single or outer integral, write nothing.
constexpr Report reports[] = {
    {ier::subdivision_limit, true, true, subdivision_limit_steps},
    {ier::roundoff, false, true, roundoff_steps},
    {ier::bad_integrand, true, true, bad_integrand_steps},
    {ier::invalid_input, true, true, invalid_input_steps},
};

}  // namespace

bool report_qag_code(int ier, QagLevel level, common::MessageFile& messages, std::FILE* answers) {
    bool resumed = false;
    for (const Report& report : reports) {
        if (report.ier != ier) continue;
        if (!(level == QagLevel::single ? report.from_single : report.from_inner)) break;
        for (const Step& step : report.steps) {
            if (step.kind == Step::Kind::record) {
                messages.write(step.text);
            } else if (step.kind == Step::Kind::note) {
                common::error_record(step.text);
            } else {
                common::pause({}, answers);
                resumed = true;
            }
        }
        break;
    }
    return resumed;
}

}  // namespace numerics
