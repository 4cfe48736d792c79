#include "coltrans/entry.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "common/failure.hpp"
#include "tests/support/temp_dir.hpp"

namespace coltrans {
namespace {

using test_support::TempDir;
using test_support::write_file;

TEST(ModeDispatch, WholeNumbersByExactEquality) {
    for (const float mode : {0.0f, 2.0f, 4.0f, 6.0f, 8.0f, 10.0f, -0.0f}) {
        EXPECT_EQ(select_model(mode), ModelKind::instantaneous) << mode;
    }
    for (const float mode : {1.0f, 3.0f, 5.0f, 7.0f, 9.0f, 11.0f}) {
        EXPECT_EQ(select_model(mode), ModelKind::broad_pulse) << mode;
    }
    for (const float mode :
         {12.0f, 0.5f, -1.0f, 2.0001f, 13.0f, 21.0f, std::nextafter(10.0f, 11.0f),
          std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()}) {
        EXPECT_EQ(select_model(mode), ModelKind::sorption) << mode;
    }
}

TEST(Pacing, DelayAndSleep) {
    EXPECT_FLOAT_EQ(pacing_seconds(100), 0.8f);
    EXPECT_EQ(pacing_seconds(0), 0.0f);
    EXPECT_FLOAT_EQ(pacing_seconds(1), 0.008f);
    EXPECT_EQ(pacing_seconds(125), 1.0f);
    EXPECT_FLOAT_EQ(pacing_seconds(126), 0.4f);
    EXPECT_FLOAT_EQ(pacing_seconds(-1), 0.4f);
    EXPECT_EQ(pacing_sleep_microseconds(100, 0.01f), 800000);
    EXPECT_EQ(pacing_sleep_microseconds(0, 0.0f), 0);
    EXPECT_EQ(pacing_sleep_microseconds(126, 0.0f), 400000);
    EXPECT_EQ(pacing_sleep_microseconds(-1, 0.1f), 400000);
    // A whole second fails to sleep; a run that already used more CPU than g does not sleep.
    EXPECT_EQ(pacing_sleep_microseconds(125, 0.0f), 0);
    EXPECT_EQ(pacing_sleep_microseconds(100, 0.9f), 0);
    EXPECT_EQ(pacing_sleep_microseconds(100, 0.8f), 0);
}

std::string settings_lines(const std::string& line1, const std::string& line15,
                           const std::string& line16 = "t") {
    std::string text = line1 + "\n";
    for (int line = 2; line <= 14; ++line) text += "anything " + std::to_string(line) + "\n";
    return text + line15 + "\n" + line16 + "\n";
}

TEST(EntrySettingsReading, ModeAndPacingNumber) {
    TempDir dir;
    const auto read = [&](const std::string& text) {
        write_file(dir / "input.txt", text);
        return read_entry_settings((dir / "input.txt").string());
    };
    EntrySettings s = read(settings_lines("11   ! mode", "2.3E-4  0.3  300  50  ! pacing"));
    EXPECT_EQ(s.sim_mode, 11.0f);
    EXPECT_EQ(s.pace_number, 50);
    // The template's line 15: three numbers and a comment give no pacing.
    s = read(settings_lines("1.0", "2.3E-4  0.3  300   !ERRREL2,ERRABS2 , limit!  left are three numbers"));
    EXPECT_EQ(s.pace_number, 0);
    // Three numbers only: the fourth comes from line 16 when it is an integer, else none.
    EXPECT_EQ(read(settings_lines("0", "2.3E-4 0.3 300", "7 rest")).pace_number, 7);
    EXPECT_EQ(read(settings_lines("0", "2.3E-4 0.3 300", "t (Time)")).pace_number, 0);
    EXPECT_EQ(read(settings_lines("0", "2.3E-4 0.3 300 12.5")).pace_number, 0);
    std::string fifteen = settings_lines("0", "1 2 3");
    fifteen.erase(fifteen.rfind("t\n"));
    EXPECT_EQ(read(fifteen).pace_number, 0);
}

TEST(EntrySettingsReading, UnreadableSettingsEndTheProgram) {
    TempDir dir;
    const auto read = [&](const std::string& text) {
        write_file(dir / "input.txt", text);
        return read_entry_settings((dir / "input.txt").string());
    };
    EXPECT_THROW(read(settings_lines("one", "1 2 3 4")), common::IoFailure);
    EXPECT_THROW(read(settings_lines("0", "1 x 3 4")), common::IoFailure);
    EXPECT_THROW(read("0\n1\n2\n"), common::IoFailure);
    try {
        read_entry_settings((dir / "missing" / "input.txt").string());
        ADD_FAILURE();
    } catch (const common::IoFailure& failure) {
        EXPECT_EQ(failure.file(), (dir / "missing" / "input.txt").string());
        EXPECT_EQ(failure.cause(), "No such file or directory");
    }
}

}  // namespace
}  // namespace coltrans
