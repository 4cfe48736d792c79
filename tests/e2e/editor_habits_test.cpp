// What editors and locales put into hand-written inputs: a UTF-8 byte-order mark at the start of a
// file, which is skipped, and a decimal comma, which still separates two values but is named in a
// warning.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/e2e/input_files.hpp"
#include "tests/e2e/pestprep_run_directory.hpp"
#include "tests/support/simulator_run.hpp"

namespace {

namespace fs = std::filesystem;
using test_support::ProgramRun;
using test_support::RunLayout;

const std::string kByteOrderMark = "\xEF\xBB\xBF";

TEST(EditorHabits, AByteOrderMarkAtTheStartOfInputTxtIsSkipped) {
    for (const std::string& input : {e2e_inputs::ColloidSettings().text() + "1 15\n5 15\n",
                                     e2e_inputs::linear_isotherm_settings() + "0 1\n1 2\n"}) {
        RunLayout plain(input);
        ASSERT_EQ(plain.start().status, 0);
        RunLayout marked(kByteOrderMark + input);
        const ProgramRun run = marked.start();
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(marked.print_txt(), plain.print_txt());
    }
}

TEST(EditorHabits, ADecimalCommaIsNamedInAWarningAndReadAsBefore) {
    // input.txt: "1,5 15" is the point t = 1, x = 5, as "1 5" is.
    const std::string settings = e2e_inputs::ColloidSettings().text();
    RunLayout plain(settings + "1 5\n");
    ASSERT_EQ(plain.start().status, 0);
    RunLayout comma(settings + "1,5 15\n");
    ProgramRun run = comma.start();
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(comma.print_txt(), plain.print_txt());
    EXPECT_EQ(run.err, "Warning: line 17 of '" + (comma.run / "input.txt").string() +
                           "' holds '1,5': a comma separates two values, so the value read is 1 (a decimal "
                           "number is written with a point: '1.5')\r\n");

    // The generator's inputs: a concentration of "5,866E-08" is 5 with the weight 866E-08.
    pestprep_e2e::RunDirectory generator;
    fs::copy(fs::path(CT_SOURCE_DIR) / "examples" / "calibration" / "run", generator.path(),
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    std::string data = generator.read("SystemFiles/ExpData.txt");
    data.replace(data.find("5.866E-08     500000"), 20, "5,866E-08");
    generator.write("SystemFiles/ExpData.txt", data);
    run = generator.run();
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("Warning: line 2 of '"), std::string::npos) << run.err;
    EXPECT_NE(
        run.err.find("ExpData.txt' holds '5,866E-08': a comma separates two values, so the value read is 5 "),
        std::string::npos)
        << run.err;
    EXPECT_NE(generator.read("tracer_fit.pst").find("cn1     5.0000000E+00"), std::string::npos);
}

}  // namespace
