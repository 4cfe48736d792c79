// Results that are not numbers: written as every result is, named on the console with their time
// and the model or law that gave them, the run archived, and the run ended with status 1. The
// integrator's interpolation to an output time that it cannot reach fails its call.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "tests/e2e/input_files.hpp"
#include "tests/support/simulator_run.hpp"

namespace {

using test_support::ProgramRun;
using test_support::records_of;
using test_support::RunLayout;

struct Case {
    std::string what;
    std::string input;
    std::string console;      // what the console must hold
    std::size_t results = 0;  // result lines written, each also in the archive block
};

std::string sorption(const std::string& type, const std::array<std::string, 9>& pars,
                     const std::string& data) {
    return e2e_inputs::sorption_settings(type, pars) + data;
}

TEST(ResultsNotFinite, AreWrittenNamedArchivedAndEndTheRunWithStatus1) {
    const std::array<std::string, 9> linear = {"0.35", "0.02", "0.05", "0.010", "0", "0", "0", "0", "0"};
    const e2e_inputs::ColloidSettings pulse{.mode = "1"};
    const std::vector<Case> cases = {
        {"data times below 1e-151", sorption("12", linear, "1e-200 10\n2e-200 9\n3e-200 8\n4e-200 7\n"),
         " Error found in the results: C* =                       NaN at t =   2.0000000000000000E-200 is "
         "not a "
         "finite number (sorption type 12: dC*/dt = par1 par3 C / par4 - par2 C*); results not finite:       "
         "    "
         "3\r\n",
         4},
        {"type 14 with a negative concentration",
         sorption("14", {"1", "0.5", "0.5", "0", "0", "0", "0", "0", "0"}, "0 -1\n1 -2\n2 -3\n"),
         " Error found in the results: C* =                       NaN at t =   1.0000000000000000      is "
         "not a "
         "finite number (sorption type 14: dC*/dt = par1 C^par2 C^par3); results not finite:           2\r\n",
         3},
        {"a power that overflows",
         sorption("13", {"1", "0", "400", "1", "1", "0", "0", "0", "0"}, "0 10\n1 10\n"),
         "(sorption type 13: dC*/dt = (par1 par4) C^par3 / par5 - par2 C*); results not finite:           "
         "1\r\n",
         2},
        {"an isotherm of a negative concentration",
         sorption("20", {"1", "0.5", "0", "0", "0", "0", "0", "0", "0"}, "0 -1\n1 4\n"),
         "is not a finite number (sorption type 20: C* = par1 C^par2); results not finite:           1\r\n",
         2},
        {"a point at a time that is not a number", pulse.text() + "1 15\nNaN 15\n",
         " Error found in the results: C =                       NaN at t =                       NaN x =   "
         "15.000000000000000      is not a finite number (broad pulse model); results not finite:           "
         "1\r\n",
         2},
        // Finite, but not at the last data time: the interpolator refused it after a step of size 0.
        {"an output time that the integrator cannot reach", sorption("12", linear, "1e-153 10\n2e-153 9\n"),
         " DLSODA-  Trouble in DINTDY.  ITASK = I1, TOUT = R1          \r\n", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RunLayout layout(c.input);
        const ProgramRun run = layout.start();
        EXPECT_EQ(run.status, 1) << run.err;
        EXPECT_NE(run.out.find(c.console), std::string::npos) << run.out;
        EXPECT_TRUE(run.out.find("Total Time of Operations") > run.out.find(c.console)) << run.out;
        EXPECT_EQ(records_of(layout.print_txt()).size(), 3 + c.results);
        const std::vector<std::string> archive = records_of(layout.archive());
        ASSERT_GE(archive.size(), c.results);
        EXPECT_EQ(archive.back().substr(0, 50), records_of(layout.print_txt()).back());
    }
}

}  // namespace
