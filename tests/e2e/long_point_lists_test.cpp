// Point lists of a million lines. Each program runs on a list of a quarter of that length and on the
// whole; its CPU time and its peak memory must grow no faster than the list (a step whose cost
// grows with the square of the list would multiply the time by sixteen).
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/e2e/input_files.hpp"
#include "tests/e2e/pestprep_run_directory.hpp"
#include "tests/support/simulator_run.hpp"
#include "tests/support/traced_run.hpp"

namespace {

namespace fs = std::filesystem;
using test_support::measure_run;
using test_support::ProgramOptions;
using test_support::RunLayout;
using test_support::TracedRun;

#if defined(__SANITIZE_ADDRESS__)
constexpr long kLongList = 200'000;  // the sanitizers slow every line down several times
#else
constexpr long kLongList = 1'000'000;
#endif
constexpr long kShortList = kLongList / 4;
constexpr double kTimeRatioLimit = 8.0;    // 4 for linear growth
constexpr double kMemoryRatioLimit = 6.0;  // at most 4 for linear growth

// Lines of a text file, counted without holding it.
long count_lines(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    long lines = 0;
    for (std::string line; std::getline(in, line);) ++lines;
    return lines;
}

struct Growth {
    TracedRun short_run;
    TracedRun long_run;
};

void expect_linear(const std::string& what, const Growth& growth) {
    std::printf("%-9s %8ld lines: %7.3f s CPU, %7ld kB peak; %8ld lines: %7.3f s CPU, %7ld kB peak\n",
                what.c_str(), kShortList, growth.short_run.cpu_seconds, growth.short_run.peak_rss_kb,
                kLongList, growth.long_run.cpu_seconds, growth.long_run.peak_rss_kb);
    // A short run may take next to no time at all; the limit allows for the clock's granularity.
    EXPECT_LT(growth.long_run.cpu_seconds, kTimeRatioLimit * growth.short_run.cpu_seconds + 0.05) << what;
    EXPECT_LT(static_cast<double>(growth.long_run.peak_rss_kb),
              kMemoryRatioLimit * static_cast<double>(growth.short_run.peak_rss_kb))
        << what;
}

// A simulator run on `lines` point lines, with its archive block sent to /dev/null (the block
// copies every result line into 200 columns: 200 MB for a million points).
template <typename Line>
TracedRun simulator_run(const std::string& settings, long lines, Line line) {
    RunLayout layout("");
    e2e_inputs::write_long_file(layout.run / "input.txt", settings, lines, line);
    if (fs::exists("/dev/null"))
        fs::create_symlink("/dev/null", layout.dir / "Saved_Simulations" / "Total_Runs1.txt");
    ProgramOptions options;
    options.executable = layout.run / "coltrans";
    options.working_directory = layout.run;
    const TracedRun run = measure_run(options);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(count_lines(layout.run / "print.txt"), 3 + lines);
    return run;
}

TEST(MillionLinePointList, ColloidModeGrowsLinearly) {
    e2e_inputs::ColloidSettings settings;
    settings.values[e2e_inputs::kKc].assign(1, '0');  // the closed form: the cost is the files'
    const auto line = [](long k) {
        std::string text = std::to_string(0.01 * static_cast<double>(k % 1000 + 1));
        text.append("  15.0\n");
        return text;
    };
    const Growth growth{simulator_run(settings.text(), kShortList, line),
                        simulator_run(settings.text(), kLongList, line)};
    expect_linear("colloid", growth);
}

TEST(MillionLinePointList, SorptionModeGrowsLinearly) {
    const auto line = [](long k) {
        std::string text = std::to_string(k);
        text.append(".5  ").append(std::to_string(k % 7 + 1)).push_back('\n');
        return text;
    };
    const std::string settings = e2e_inputs::linear_isotherm_settings();
    const Growth growth{simulator_run(settings, kShortList, line), simulator_run(settings, kLongList, line)};
    expect_linear("sorption", growth);
}

TracedRun generator_run(long observations) {
    pestprep_e2e::RunDirectory run;
    fs::copy(fs::path(CT_SOURCE_DIR) / "examples" / "calibration" / "run", run.path(),
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    e2e_inputs::write_long_file(run / "SystemFiles/ExpData.txt", "C weight\n", observations, [](long k) {
        std::string text = std::to_string(1.0e-4 * static_cast<double>(k % 13 + 1));
        text.append("  ").append(std::to_string(k % 5 + 1)).push_back('\n');
        return text;
    });
    e2e_inputs::write_long_file(run / "SystemFiles/TimeAndCoords.txt", "t x\n", observations, [](long k) {
        std::string text = std::to_string(k);
        text.append(".25  30.0\n");
        return text;
    });
    ProgramOptions options;
    options.executable = run / "pestprep";
    options.working_directory = run.path();
    const TracedRun measured = measure_run(options);
    EXPECT_EQ(measured.status, 0);
    EXPECT_EQ(count_lines(run / "print.ins"), 1 + observations);
    EXPECT_EQ(count_lines(run / "input.tpl"), 17 + observations);
    return measured;
}

TEST(MillionLinePointList, GeneratorGrowsLinearly) {
    const Growth growth{generator_run(kShortList), generator_run(kLongList)};
    expect_linear("generator", growth);
}

}  // namespace
