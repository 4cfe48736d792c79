#include "models/sorption_laws.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "models/sorption_forcing.hpp"

namespace models::adsoodesolvermod {
namespace {

constexpr std::array<double, 9> kPar = {2.0, 0.5, 3.0, 4.0, 5.0, 6.0, 7.0, 8.0, 9.0};

TEST(SorptionTypeCode, TruncatedTowardZero) {
    EXPECT_EQ(sorption_type_code(12.9f), 12);
    EXPECT_EQ(sorption_type_code(11.5f), 11);
    EXPECT_EQ(sorption_type_code(-1.0f), -1);
    EXPECT_EQ(sorption_type_code(-0.5f), 0);
    EXPECT_EQ(sorption_type_code(21.0f), 21);
    // Not a number, or beyond the integer range: the code of no law.
    EXPECT_EQ(sorption_type_code(std::numeric_limits<float>::quiet_NaN()),
              std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(sorption_type_code(1e20f), std::numeric_limits<std::int32_t>::min());
}

TEST(KineticLaws, EachRateInTheOrderWritten) {
    const double c = 1.5, cs = 0.25;
    EXPECT_EQ(adsorptiontypesydot(12, kPar, c, cs), 2.0 * 3.0 * 1.5 / 4.0 - 0.5 * 0.25);
    EXPECT_EQ(adsorptiontypesydot(13, kPar, c, cs), (2.0 * 4.0) * std::pow(1.5, 3.0) / 5.0 - 0.5 * 0.25);
    EXPECT_EQ(adsorptiontypesydot(14, kPar, c, cs), 2.0 * std::pow(1.5, 0.5) * std::pow(1.5, 3.0));
    EXPECT_EQ(adsorptiontypesydot(15, kPar, c, cs), 0.5 * 1.5 * (2.0 - 0.25) - 3.0 * 0.25);
    EXPECT_EQ(adsorptiontypesydot(16, kPar, c, cs), (1.5 - 0.5) * 2.0);
    EXPECT_EQ(adsorptiontypesydot(17, kPar, c, cs), 0.5 * std::exp(-2.0 * 1.5));
    EXPECT_EQ(adsorptiontypesydot(18, kPar, c, cs), 2.0 * (0.25 * 0.25));
    for (const std::int32_t none : {11, 0, -1, std::numeric_limits<std::int32_t>::min()}) {
        EXPECT_EQ(adsorptiontypesydot(none, kPar, c, cs), 0.0) << none;
    }
}

TEST(EquilibriumLaws, UseTheSoluteConcentration) {
    EXPECT_EQ(equilibrium_sorbed(19, {2.0}, 3.0), 6.0);
    EXPECT_EQ(equilibrium_sorbed(20, {2.0, 0.5}, 4.0), 4.0);
    EXPECT_EQ(equilibrium_sorbed(21, {2.0, 0.5}, 2.0), (2.0 * 0.5) * 2.0 / (2.0 * 0.5 + 1.0));
    // par2 = -0.5 and C = 2 make the denominator exactly zero.
    EXPECT_FALSE(equilibrium_sorbed(21, {2.0, -0.5}, 2.0).has_value());
}

globalvars::SorptionRun series(std::vector<double> t, std::vector<double> c, std::int32_t it) {
    globalvars::SorptionRun run;
    run.timevector = std::move(t);
    run.cexpvector = std::move(c);
    run.it = it;
    return run;
}

TEST(SoluteForcing, InterpolatesTheMeasuredSeries) {
    const auto run = series({1.0, 2.0, 4.0, 5.0}, {10.0, 20.0, 0.0, 8.0}, 2);
    EXPECT_EQ(solute_concentration(run, 1.5), 15.0);  // the current interval
    EXPECT_EQ(solute_concentration(run, 1.0), 10.0);
    EXPECT_EQ(solute_concentration(run, 3.0), 10.0);  // a later interval, not the current line extended
    EXPECT_EQ(solute_concentration(run, 4.5), 4.0);
    EXPECT_EQ(solute_concentration(run, 5.0), 8.0);
    EXPECT_EQ(solute_concentration(run, 7.0), 8.0);  // beyond the last time: the last value
    EXPECT_EQ(solute_concentration(run, 0.5), 0.0);  // before the first time
    const auto later = series({1.0, 2.0, 4.0, 5.0}, {10.0, 20.0, 0.0, 8.0}, 4);
    EXPECT_EQ(solute_concentration(later, 1.5), 15.0);  // an earlier interval
    EXPECT_EQ(solute_concentration(later, 4.25), 2.0);
}

TEST(SoluteForcing, TheCurrentIntervalIsComputedAsItsOwnLine) {
    // At a data time shared by two intervals the current one decides, with its own rounding.
    const auto run = series({0.0, 0.1, 0.3}, {0.0, 0.7, 0.1}, 2);
    const double slope = (0.7 - 0.0) / (0.1 - 0.0);
    EXPECT_EQ(solute_concentration(run, 0.1), slope * (0.1 - 0.0) + 0.0);
}

}  // namespace
}  // namespace models::adsoodesolvermod
