#include "coltrans/result_check.hpp"

#include <array>
#include <string_view>

#include "common/format.hpp"

namespace coltrans {
namespace {

// The record's pieces around its values. Consecutive texts of a free-format record join without a
// blank: "is not a finite number " runs on into the model or the law, and that into the count.
constexpr std::string_view kColloidValue = "Error found in the results: C =";
constexpr std::string_view kSorptionValue = "Error found in the results: C* =";
constexpr std::string_view kAtTime = "at t =";
constexpr std::string_view kAtPosition = "x =";
constexpr std::string_view kNotFinite = "is not a finite number ";
constexpr std::string_view kCount = "; results not finite:";

struct ModelText {
    ColloidFamily family;
    std::string_view text;
};

constexpr std::array<ModelText, 2> kModels = {{
    {ColloidFamily::instantaneous, "(instantaneous injection model)"},
    {ColloidFamily::broad_pulse, "(broad pulse model)"},
}};

struct LawText {
    std::int32_t type_code;
    std::string_view text;
};

constexpr std::array<LawText, 10> kLaws = {{
    {12, "(sorption type 12: dC*/dt = par1 par3 C / par4 - par2 C*)"},
    {13, "(sorption type 13: dC*/dt = (par1 par4) C^par3 / par5 - par2 C*)"},
    {14, "(sorption type 14: dC*/dt = par1 C^par2 C^par3)"},
    {15, "(sorption type 15: dC*/dt = par2 C (par1 - C*) - par3 C*)"},
    {16, "(sorption type 16: dC*/dt = (C - par2) par1)"},
    {17, "(sorption type 17: dC*/dt = par2 exp(-par1 C))"},
    {18, "(sorption type 18: dC*/dt = par1 (par2 - C*)^2)"},
    {19, "(sorption type 19: C* = C par1)"},
    {20, "(sorption type 20: C* = par1 C^par2)"},
    {21, "(sorption type 21: C* = (par1 par2) C / (C par2 + 1))"},
}};
constexpr std::string_view kNoLaw = "(a sorption type without a law)";

}  // namespace

std::string colloid_not_finite_record(ColloidFamily family, const NonFiniteResults& results) {
    std::string_view model = kModels[0].text;
    for (const ModelText& entry : kModels) {
        if (entry.family == family) model = entry.text;
    }
    return common::list_record({kColloidValue, results.computed(), kAtTime, results.t(), kAtPosition,
                                results.second(), kNotFinite, model, kCount, results.count()});
}

std::string sorption_not_finite_record(std::int32_t type_code, const NonFiniteResults& results) {
    std::string_view law = kNoLaw;
    for (const LawText& entry : kLaws) {
        if (entry.type_code == type_code) law = entry.text;
    }
    return common::list_record(
        {kSorptionValue, results.computed(), kAtTime, results.t(), kNotFinite, law, kCount, results.count()});
}

}  // namespace coltrans
