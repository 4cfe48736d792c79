// colfit fed inputs that cannot pose a fit: each run ends with a diagnostic that names the file and
// the line (or the argument) and its exit status, and writes nothing.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "tests/e2e/colfit_run_directory.hpp"
#include "tests/e2e/file_snapshot.hpp"

namespace {

using colfit_e2e::FitRun;
using test_support::ProgramRun;

// The lines of a file, without their line ends.
std::vector<std::string> lines_of(const std::filesystem::path& path) {
    std::vector<std::string> lines;
    std::istringstream in(test_support::read_file(path));
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::string joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text.append(line).append("\r\n");
    return text;
}

struct Edit {
    std::string file;  // in SystemFiles
    int line;          // from 1; 0 keeps only the heading and the first `keep` records
    std::string text;  // the line's new text
};

struct Case {
    const char* what;
    std::vector<Edit> edits;
    std::vector<std::string> arguments;
    int status;
    std::vector<std::string> named;  // in the diagnostic
};

const std::string kPars = "ParsToFit.txt";
const std::string kTimes = "TimeAndCoords.txt";
const std::string kData = "ExpData.txt";

const std::vector<Case> kCases = {
    {"a word for a fit flag", {{kPars, 3, "0.05  one  1.0E-05  5.0  'R1'"}}, {}, 2, {kPars, "line 3"}},
    {"a word for a measured value", {{kData, 4, "abc  500000"}}, {}, 2, {kData, "line 4"}},
    {"a value that is not finite", {{kTimes, 6, "inf  30.0"}}, {}, 2, {kTimes, "line 6"}},
    {"one observation file longer than the other", {{kTimes, 42, "22.0  30.0"}}, {}, 2, {kTimes, "41", "40"}},
    {"a negative weight", {{kData, 5, "6.240E-08  -1"}}, {}, 2, {kData, "line 5", "negative"}},
    {"an estimated parameter no model reads",
     {{kPars, 11, "2.0E-03  1  1.0E-06  1.0  'M0'"}},
     {},
     2,
     {kPars, "line 11", "no model reads"}},
    {"SimMode estimated", {{kPars, 13, "1  1  0  11  'SimMode'"}}, {}, 2, {kPars, "line 13", "SimMode"}},
    {"bounds that leave no room",
     {{kPars, 2, "1.5  1  50.0  0.01  'Dcx'"}},
     {},
     2,
     {kPars, "line 2", "bounds"}},
    {"an initial value outside its bounds",
     {{kPars, 2, "100  1  0.01  50.0  'Dcx'"}},
     {},
     2,
     {kPars, "line 2", "outside its bounds"}},
    {"l2 tied to a Kirr that starts at 0",
     {{kPars, 5, "0  1  0  1.0  'Kirr'"}},
     {},
     2,
     {kPars, "line 9", "Kirr"}},
    {"nothing estimated",
     {{kPars, 2, "1.5 0 0.01 50 a"},
      {kPars, 3, "0.05 0 1e-5 5 b"},
      {kPars, 4, "0.002 0 1e-6 1 c"},
      {kPars, 5, "0.03 0 1e-5 1 d"}},
     {},
     2,
     {kPars, "no parameter is estimated"}},
    {"fewer observations than estimated parameters plus one",
     {{kData, 0, "4"}, {kTimes, 0, "4"}},
     {},
     2,
     {kData, "at least 5"}},
    {"sorption times that do not increase",
     {{kPars, 13, "12  0  0  21  'SimMode'"}, {kTimes, 3, "2.00  30.0"}},
     {},
     2,
     {kTimes, "line 3"}},
    {"an option without its number", {}, {"--starts"}, 1, {"--starts"}},
    {"a number of starts that is not one", {}, {"--starts", "0"}, 1, {"--starts", "0"}},
    {"an unknown option", {}, {"--fast"}, 1, {"--fast"}},
};

TEST(BadFitInputs, EachEndsWithADiagnosticNamingFileAndLineAndWritesNothing) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        FitRun run;
        for (const Edit& edit : c.edits) {
            std::vector<std::string> lines = lines_of(run.path() / "SystemFiles" / edit.file);
            if (edit.line == 0) {
                lines.resize(1 + std::stoul(edit.text));
            } else {
                lines.resize(std::max<std::size_t>(lines.size(), static_cast<std::size_t>(edit.line)));
                lines[static_cast<std::size_t>(edit.line - 1)] = edit.text;
            }
            run.write("SystemFiles/" + edit.file, joined(lines));
        }
        const e2e_files::Snapshot before = e2e_files::snapshot(run.path());
        const ProgramRun result = run.by_absolute_path(c.arguments);
        EXPECT_EQ(result.status, c.status) << result.out << result.err;
        for (const std::string& text : c.named)
            EXPECT_NE(result.err.find(text), std::string::npos) << result.err;
        EXPECT_TRUE(e2e_files::changed_files(before, e2e_files::snapshot(run.path())).empty());
    }
}

TEST(BadFitInputs, AMissingInputOrRunDirectoryIsNamed) {
    FitRun run;
    std::filesystem::remove(run.path() / "SystemFiles" / kData);
    const ProgramRun missing_file = run.by_absolute_path();
    EXPECT_EQ(missing_file.status, 2);
    EXPECT_NE(missing_file.err.find(kData), std::string::npos) << missing_file.err;

    test_support::ProgramOptions options;
    options.executable = test_support::built_program("colfit");
    options.arguments = {(run.path() / "no such folder").string()};
    const ProgramRun missing_folder = test_support::run_program(options);
    EXPECT_EQ(missing_folder.status, 2);
    EXPECT_NE(missing_folder.err.find("no such folder"), std::string::npos) << missing_folder.err;
}

}  // namespace
