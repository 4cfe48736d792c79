// The colloid modes run where the plain formulas leave the range of doubles (large Peclet numbers,
// long times, large rate products): print.txt holds no NaN or Infinity, its values agree with an
// independent long-double evaluation where the concentration is a normal double, and a
// concentration below the smallest normal double is written as 0.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "tests/models/transport_reference.hpp"
#include "tests/support/program_runner.hpp"
#include "tests/support/simulator_run.hpp"
#include "tests/support/temp_dir.hpp"

namespace {

namespace fs = std::filesystem;
using test_reference::Column;
using test_support::ProgramRun;
using test_support::records_of;
using test_support::RunLayout;

struct RangeCase {
    const char* name;
    const char* mode;
    std::array<double, 10> values;  // lines 2 to 11 of input.txt
    double x;
    std::vector<double> times;
};

std::string input_for(const RangeCase& c) {
    std::ostringstream text;
    text.precision(17);
    text << c.mode << "   ! SimMode\n";
    for (const double value : c.values) text << value << "\n";
    text << "0\n0\ntitle\n1.0E-10  0.0  1000  0   ! accuracy and pacing\nt x\n";
    for (const double t : c.times) text << t << "  " << c.x << "\n";
    return text.str();
}

Column column_of(const RangeCase& c) {
    const std::array<double, 10>& v = c.values;
    return {v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9]};
}

long double reference(const RangeCase& c, double t) {
    const Column column = column_of(c);
    // Even modes are the instantaneous injection, odd ones the broad pulse.
    if (std::stoi(c.mode) % 2 == 0) return test_reference::instantaneous_concentration(column, t, c.x);
    return test_reference::pulse_concentration(column, t, c.x);
}

TEST(ColloidRangeRun, NoNotANumberAndValuesOfTheIndependentEvaluation) {
    const RangeCase cases[] = {
        // U x/(2D) = 750: exp(U x/(2D)) overflows, erfc underflows.
        {"instantaneous, large Peclet number",
         "0",
         {0.2, 0.05, 0.01, 0.002, 10.0, 20.0, 0.35, 0.001, 1.0, 1.7},
         30.0,
         {0.5, 0.8, 1.0, 2.0, 2.5, 3.0, 3.5, 5.0}},
        // I1's argument up to 1265, h t up to 5000.
        {"instantaneous, large rate product",
         "2",
         {0.5, 2.0, 5.0, 0.002, 2.0, 20.0, 0.35, 0.001, 1.0, 1.7},
         15.0,
         {10.0, 50.0, 100.0, 200.0, 400.0}},
        {"broad pulse, large Peclet number",
         "1",
         {0.2, 0.05, 0.01, 0.002, 10.0, 1.0, 0.35, 0.001, 1.0, 1.7},
         30.0,
         {0.5, 1.5, 2.5, 3.0, 3.5}},
        // A pulse longer than the times: C = G(t), with I0's argument up to 950 and h t up to 1500.
        {"broad pulse, large rate product",
         "3",
         {0.5, 2.0, 5.0, 0.002, 2.0, 300.0, 0.35, 0.001, 1.0, 1.7},
         15.0,
         {10.0, 50.0, 200.0, 300.0}},
    };
    for (const RangeCase& c : cases) {
        SCOPED_TRACE(c.name);
        RunLayout layout(input_for(c));
        const ProgramRun run = layout.start();
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_FALSE(fs::exists(layout.run / "fort.9"));
        const std::string print_txt = layout.print_txt();
        EXPECT_EQ(print_txt.find("NaN"), std::string::npos);
        EXPECT_EQ(print_txt.find("Inf"), std::string::npos);
        const std::vector<std::string> records = records_of(print_txt);
        ASSERT_EQ(records.size(), 3 + c.times.size());
        for (std::size_t k = 0; k < c.times.size(); ++k) {
            const double t = c.times[k];
            const std::string field = records[3 + k].substr(32);
            const long double expected = reference(c, t);
            if (expected < std::numeric_limits<double>::min()) {
                EXPECT_EQ(field, "  0.000000000E+000") << "t = " << t << ", reference " << expected;
            } else {
                const double printed = std::stod(field);
                EXPECT_LT(std::fabs(printed - expected), 2e-9 * expected)
                    << "t = " << t << ": " << field << ", reference " << expected;
            }
        }
    }
}

}  // namespace
