// How the generators end when their inputs or the control file fail them: the console, the exit
// status, and every file of the run directory afterwards.
#include <gtest/gtest.h>

#include <vector>

#include "tests/e2e/pestprep_run_directory.hpp"

namespace {

using pestprep_e2e::RunDirectory;

const std::string kStarted = " Unix type system, directory separator found\r\n  Pest interface Started\r\n";

std::string pars_to_fit() {
    std::string text = "value flag lower upper label\r\n";
    for (int r = 1; r <= 12; ++r) text += "1.0 " + std::to_string(r < 5 ? 1 : 0) + " 0.5 2.0 label\r\n";
    return text;
}

std::string control_file(bool with_command_heading = true) {
    std::string text = "pcf\r\n* control data\r\nrestart estimation\r\n12 1 12 0 1\r\n";
    for (int k = 0; k < 6; ++k) text += "control line\r\n";
    text += "* parameter groups\r\n";
    for (int k = 0; k < 12; ++k) {
        const std::string group = std::string(1, 'g').append(std::to_string(k));
        text.append(group).append(" relative 0.01 0.0 switch 2.0 parabolic\r\n");
    }
    text += "* parameter data\r\n";
    for (int k = 0; k < 12; ++k) {
        const std::string number = std::to_string(k);
        text.append("p").append(number).append(" none factor 1 0.5 2 g").append(number).append(" 1 0 1\r\n");
    }
    text += "* observation groups\r\nconc\r\n* observation data\r\ncn1 1 1 conc\r\n";
    // Without its headings ("mod" begins both), the rest of the file is not found.
    text += with_command_heading ? "* model command line\r\n./coltrans\r\n* model input/output\r\n"
                                 : "./coltrans\r\n* input and output files\r\n";
    text += "input.tpl input.txt\r\nprint.ins print.txt\r\n";
    return text;
}

// A run directory with complete inputs and the files of an earlier run.
void install(const RunDirectory& run, std::size_t observations = 2, std::size_t points = 2) {
    run.write("SystemFiles/ParsToFit.txt", pars_to_fit());
    std::string exp = "C w\r\n", coords = "t x\r\n";
    for (std::size_t i = 0; i < observations; ++i) exp += "1.0e-4 1.0\r\n";
    for (std::size_t i = 0; i < points; ++i) coords += "8.0 30.0\r\n";
    run.write("SystemFiles/ExpData.txt", exp);
    run.write("SystemFiles/TimeAndCoords.txt", coords);
    run.write("tracer_fit.pst", control_file());
    run.write("print.ins", "pif #\r\nfrom an earlier run\r\n");
    run.write("input.tpl", "ptf #\r\nfrom an earlier run\r\n");
    run.write("tracer_fit.rec", "PEST's record of an earlier run\r\n");
}

std::string col500(std::string text) {
    text.resize(500, ' ');
    return text;
}

// The back-up of a control file: every line as 500 columns.
std::string backup_of(const std::string& control) {
    std::string backup;
    std::size_t start = 0;
    for (std::size_t end; (end = control.find("\r\n", start)) != std::string::npos; start = end + 2) {
        backup += col500(control.substr(start, end - start)) + "\r\n";
    }
    return backup;
}

TEST(PestprepFailures, MissingSystemFilesFolder) {
    RunDirectory run("pestprep", false);
    run.write("tracer_fit.pst", control_file());
    const auto result = run.run();
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.out, " Unix type system, directory separator found\r\n");
    EXPECT_NE(result.err.find((run / "SystemFiles/ParsToFit.txt").string()), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("No such file or directory"), std::string::npos) << result.err;
    // The inputs are opened before any output, so no file is created.
    const std::map<std::string, std::string> expected{{"tracer_fit.pst", control_file()}};
    EXPECT_EQ(run.files(), expected);
    EXPECT_FALSE(std::filesystem::exists(run / "SystemFiles"));
}

TEST(PestprepFailures, CountMismatchPausesAndEndsWhateverTheAnswer) {
    const std::string console =
        kStarted +
        " It seems the number of experimental values you have given dont match\r\n"
        " with the number of coordates you have given to explicity specify them\r\n"
        " tNum is :  " +
        std::string(9, ' ') + "11 while cNum is :  " + std::string(9, ' ') +
        "10\r\n"
        " Plz make sure that the files ExpData.txt and TimeAndCoords.txt have the same amount "
        "of lines\r\n"
        " System will now pause and stop\r\n"
        "  Press any button to exit\r\n";
    const std::string prompt =
        "PAUSE \r\nTo resume execution, type go.  Other input will terminate the job.\r\n";
    for (const std::string answer : {"go\n", "no\n", ""}) {
        RunDirectory run;
        install(run, 10, 11);
        auto before = run.files();
        before["tracer_fit_pst_temp.txt"] = "";
        const auto result = run.run(answer);
        EXPECT_EQ(result.status, 1) << "answer " << answer;
        EXPECT_EQ(result.out, console);
        EXPECT_EQ(result.err, prompt + (answer == "go\n" ? "RESUMED\r\n" : ""));
        EXPECT_EQ(run.files(), before);
    }
}

TEST(PestprepFailures, UnreadableInputsAreReported) {
    struct Case {
        std::string file, contents, message;
    };
    const std::vector<Case> cases{
        {"SystemFiles/ExpData.txt", "C w\r\n1.0e-4 1.0\r\n1.0e-4 n/a\r\n",
         "Error found during the reading of ExpData.txt "},
        {"SystemFiles/TimeAndCoords.txt", "t x\r\n8.0 30.0\r\neight 30.0\r\n",
         "Error found during the reading of TimeAndCoords.txt "},
        {"SystemFiles/ParsToFit.txt", "heading\r\n1.0 1.0 0.5 2.0 label\r\n",
         "Error found during the extraction of the parsToFit data. PLz  check the parsToFit.txt file "},
    };
    for (const Case& c : cases) {
        RunDirectory run;
        install(run);
        run.write(c.file, c.contents);
        auto before = run.files();
        before["tracer_fit_pst_temp.txt"] = "";
        const auto result = run.run();
        EXPECT_EQ(result.status, 1) << c.file;
        EXPECT_EQ(result.out, kStarted + " " + c.message + "\r\n");
        EXPECT_EQ(result.err, "");
        EXPECT_EQ(run.files(), before);
    }
}

TEST(PestprepFailures, InputsEndingTooEarly) {
    for (const auto& [file, contents] : std::vector<std::pair<std::string, std::string>>{
             {"SystemFiles/ParsToFit.txt", "heading\r\n1 1 0 2 a\r\n"}, {"SystemFiles/ExpData.txt", ""}}) {
        RunDirectory run;
        install(run);
        run.write(file, contents);
        const auto result = run.run();
        EXPECT_EQ(result.status, 2) << file;
        EXPECT_NE(result.err.find((run / file).string()), std::string::npos) << result.err;
        EXPECT_EQ(run.read("tracer_fit.pst"), control_file());
    }
}

TEST(PestprepFailures, AFailedRewriteKeepsTheControlFile) {
    struct Case {
        std::string control;
        int status;
        std::string message;
    };
    // A control file that ends within the twenty lines after its counts.
    std::string short_file = "pcf\r\n* control data\r\nrestart estimation\r\n12 1 12 0 1\r\n";
    for (int k = 0; k < 6; ++k) short_file += "control line\r\n";
    const std::vector<Case> cases{
        {control_file(false), 1,
         "Eond of file while reading the back up file of the Tracer_fit_pst file 71, try to get the  * model "
         "command "
         "line line"},
        {short_file, 1, "Error during reading the pest control file Tracer_fit.pst file 76"},
        {"pcf\r\n* control data\r\nrestart estimation\r\n12 1 x 0 1\r\n", 2, ""},
        {"pcf\r\n* control data\r\n", 2, ""},
    };
    for (const Case& c : cases) {
        RunDirectory run;
        install(run);
        run.write("tracer_fit.pst", c.control);
        const auto result = run.run();
        EXPECT_EQ(result.status, c.status) << result.err;
        if (c.status == 1) {
            EXPECT_EQ(result.out, kStarted + " " + c.message +
                                      "\r\n The  system will now close\r\n Press any key to exit\r\n");
        }
        const auto files = run.files();
        ASSERT_EQ(files.size(), 8u) << "nothing is left beside the control file";
        EXPECT_EQ(files.at("tracer_fit.pst"), c.control);
        EXPECT_EQ(files.at("tracer_fit_pst_temp.txt"), backup_of(c.control));
        EXPECT_EQ(files.at("tracer_fit.rec"), "PEST's record of an earlier run\r\n");
        EXPECT_EQ(files.at("print.ins"), "pif #\r\n l4\t!dum!\t!dum!\t!cn1!\r\n l1\t!dum!\t!dum!\t!cn2!\r\n");
    }
}

}  // namespace
