// The rewrite of the control file: what is kept, what is replaced, and how failures end it.
#include "pestprep/control_file.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "common/failure.hpp"
#include "pestprep/control_records.hpp"
#include "tests/support/temp_dir.hpp"

namespace pestprep::creating_files {
namespace {

using pestprep::ChangeLimit;
using pestprep::ParsToFit;
using test_support::read_file;
using test_support::TempDir;
using test_support::write_file;

const std::vector<std::string> kNames{"Dcx", "R1", "R2", "Kirr", "U",  "tp",
                                      "th",  "l2", "C0", "M0",   "A0", "SimMode"};

// A control file from its fourth line on, in the shape the rewrite expects.
struct ControlBody {
    std::vector<std::string> counts{"    12     2    12     0     1"};
    std::vector<std::string> control{"1 1 single point 1 0 0", "5.0 2.0 0.3 0.01 10",
                                     "5.0 5.0 0.001",          "0.1",
                                     "30 0.005 4 4 0.005 4",   "1 1 1"};
    std::vector<std::string> parameters;
    std::vector<std::string> after_parameters{"l2 Kirr"};
    std::vector<std::string> observations{"* observation groups", "conc", "* observation data",
                                          "cn1 1.0 1.0 conc", "cn2 2.0 1.0 conc"};
    std::vector<std::string> tail{"* model command line", "./coltrans", "* model input/output",
                                  "input.tpl input.txt", "print.ins print.txt"};

    ControlBody() {
        for (const std::string& name : kNames) {
            parameters.push_back(name + " none factor 1.0 0.001 100.0 g" + name + " 1.0 0.0 1");
        }
    }

    std::vector<std::string> lines() const {
        std::vector<std::string> all = counts;
        all.insert(all.end(), control.begin(), control.end());
        all.push_back("* parameter groups");
        for (const std::string& name : kNames)
            all.push_back("g" + name + " relative 0.01 0.0 switch 2.0 parabolic");
        all.push_back("* parameter data");
        for (const auto* part : {&parameters, &after_parameters, &observations, &tail}) {
            all.insert(all.end(), part->begin(), part->end());
        }
        return all;
    }
};

ParsToFit default_pars() {
    ParsToFit pars;
    for (std::size_t r = 0; r < pestprep::kParameterCount; ++r) {
        pars.parvalue[r] = static_cast<double>(r + 1);
        pars.parfitflag[r] = (r < 4 || r == pestprep::kL2Index) ? 1 : 0;
        pars.parboundarymin[r] = 0.5;
        pars.parboundarymax[r] = 20.0;
    }
    return pars;
}

struct Rewritten {
    std::vector<std::string> records;
    std::string console;
};

// What the last rewrite wrote to the console, also when it ended the program.
std::string last_console;

// Runs the rewrite on `backup_lines`; the writer fails from record `fail_at` on (0: never).
Rewritten rewrite(const std::vector<std::string>& backup_lines, ParsToFit& pars, std::vector<double> observed,
                  std::vector<double> weights, ChangeLimit change_limit = ChangeLimit::from_bounds,
                  std::size_t fail_at = 0) {
    std::vector<std::string> buffered;
    for (const std::string& line : backup_lines) buffered.push_back(line_buffer(line));
    common::StringRecords backup(buffered);
    Rewritten out;
    ControlRewrite streams{backup, "tracer_fit_pst_temp.txt",
                           [&](std::string_view record) {
                               if (fail_at != 0 && out.records.size() + 1 >= fail_at) {
                                   return common::IoResult::failed("No space left on device");
                               }
                               out.records.emplace_back(record);
                               return common::IoResult{};
                           },
                           "tracer_fit.pst"};
    testing::internal::CaptureStdout();
    try {
        rewrite_control_records(streams, observed, weights, pars, change_limit);
    } catch (...) {
        last_console = testing::internal::GetCapturedStdout();
        throw;
    }
    out.console = last_console = testing::internal::GetCapturedStdout();
    return out;
}

Rewritten rewrite(const ControlBody& body, ParsToFit& pars,
                  ChangeLimit change_limit = ChangeLimit::from_bounds) {
    return rewrite(body.lines(), pars, {1.5e-4, 2.5e-4, 3.5e-4}, {1.0, 2.0, 1e7}, change_limit);
}

std::string trimmed(std::string text) {
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

std::vector<std::string> trimmed(const std::vector<std::string>& records) {
    std::vector<std::string> out;
    for (const std::string& record : records) out.push_back(trimmed(record));
    return out;
}

// The console lines of a handled failure.
std::string failure_console(std::string_view message) {
    return " " + std::string(message) + "\r\n The  system will now close\r\n Press any key to exit\r\n";
}

TEST(ControlRewrite, ReplacesCountsParametersAndObservationsAndCopiesTheRest) {
    ParsToFit pars = default_pars();
    const Rewritten out = rewrite(ControlBody{}, pars);
    const std::vector<std::string> lines = trimmed(out.records);
    ASSERT_EQ(lines.size(), 1u + 20 + 12 + 1 + 3 + 3 + 5);
    EXPECT_EQ(lines[0], "    12     3    12     0     1");
    EXPECT_EQ(lines[1], "1 1 single point 1 0 0");
    EXPECT_EQ(lines[8], "gDcx relative 0.01 0.0 switch 2.0 parabolic");
    EXPECT_EQ(lines[20], "* parameter data");
    for (std::size_t k = 1; k <= 20; ++k) EXPECT_EQ(out.records[k].size(), kLineBufferWidth) << k;
    EXPECT_EQ(
        out.records[21],
        "Dcx          none   factor                   1.0000000E+00      5.0000000E-01      2.0000000E+01    "
        "gDcx                1.0                 0.0                 1                   ");
    EXPECT_EQ(lines[24].substr(0, 20), "Kirr         none   ");
    EXPECT_EQ(lines[25].substr(0, 20), "U           fixed   ");
    EXPECT_EQ(lines[28].substr(0, 20), "l2           tied   ");
    EXPECT_EQ(lines[32].substr(0, 20), "SimMode     fixed   ");
    EXPECT_EQ(lines[33], "l2 Kirr");
    EXPECT_EQ(lines[34], "* observation groups");
    EXPECT_EQ(out.records[35], "conc" + std::string(26, ' '));
    EXPECT_EQ(lines[36], "* observation data");
    EXPECT_EQ(out.records[37], std::string(30, ' ') + "cn1     1.5000000E-04         1.0000000     conc" +
                                   std::string(26, ' '));
    EXPECT_EQ(lines[38].substr(0, 69), std::string(30, ' ') + "cn2     2.5000000E-04         2.0000000");
    EXPECT_EQ(lines[39].substr(0, 69), std::string(30, ' ') + "cn3     3.5000000E-04     1.0000000E+07");
    EXPECT_EQ(lines[40], " * model command line");
    EXPECT_EQ(out.records[41], line_buffer("./coltrans"));
    EXPECT_EQ(lines[42], "* model input/output");
    EXPECT_EQ(lines[44], "print.ins print.txt");
    EXPECT_EQ(out.console, "");
}

TEST(ControlRewrite, CountsLineKeepsFiveOfTheOldCounts) {
    ControlBody six;
    six.counts = {"12 30 12 0 1 5"};
    ParsToFit pars = default_pars();
    const std::vector<double> none;
    EXPECT_EQ(
        rewrite(six.lines(), pars, std::vector<double>(48, 1.0), std::vector<double>(48, 1.0)).records[0],
        "    12    48    12     0     1");
    // Fewer than five on line 4: the read goes on to line 5, and line 5 is then the line after.
    ControlBody split;
    split.counts = {"12 30 12", "0 1"};
    const Rewritten out = rewrite(split.lines(), pars, none, none);
    EXPECT_EQ(out.records[0], "    12     0    12     0     1");
    EXPECT_EQ(trimmed(out.records[1]), "1 1 single point 1 0 0");
}

TEST(ControlRewrite, L2IsTiedOnlyWhileKirrIsEstimated) {
    struct Case {
        std::int32_t kirr, l2;
        std::string_view kirr_transform, l2_transform;
        bool tied_line;
        std::int32_t l2_after;
    };
    for (const Case c :
         {Case{1, 1, "   none   ", "   tied   ", true, 1}, Case{0, 1, "  fixed   ", "  fixed   ", false, 0},
          Case{2, 1, "  fixed   ", "  fixed   ", false, 0}, Case{1, 0, "   none   ", "  fixed   ", false, 0},
          Case{1, 2, "   none   ", "  fixed   ", false, 2},
          Case{0, 0, "  fixed   ", "  fixed   ", false, 0}}) {
        ParsToFit pars = default_pars();
        pars.parfitflag[pestprep::kKirrIndex] = c.kirr;
        pars.parfitflag[pestprep::kL2Index] = c.l2;
        const std::vector<std::string> lines = trimmed(rewrite(ControlBody{}, pars).records);
        SCOPED_TRACE(testing::Message() << "Kirr " << c.kirr << ", l2 " << c.l2);
        EXPECT_EQ(lines[24].substr(10, 10), c.kirr_transform);
        EXPECT_EQ(lines[28].substr(10, 10), c.l2_transform);
        EXPECT_EQ(lines[33] == "l2 Kirr", c.tied_line);
        EXPECT_EQ(lines[c.tied_line ? 34 : 33], "* observation groups");
        EXPECT_EQ(pars.parfitflag[pestprep::kL2Index], c.l2_after);
    }
}

TEST(ControlRewrite, WhateverFollowsTheParametersIsDropped) {
    ControlBody body;
    body.after_parameters = {"l2 Kirr", "", "# a note between the sections"};
    ParsToFit pars = default_pars();
    pars.parfitflag[pestprep::kL2Index] = 0;
    const std::vector<std::string> lines = trimmed(rewrite(body, pars).records);
    EXPECT_EQ(lines[32].substr(0, 7), "SimMode");
    EXPECT_EQ(lines[33], "* observation groups");
}

TEST(ControlRewrite, ZeroObservations) {
    ParsToFit pars = default_pars();
    const std::vector<double> none;
    const std::vector<std::string> lines = trimmed(rewrite(ControlBody{}.lines(), pars, none, none).records);
    EXPECT_EQ(lines[0], "    12     0    12     0     1");
    EXPECT_EQ(lines[34], "* observation groups");
    EXPECT_EQ(lines[35], "conc");
    EXPECT_EQ(lines[36], "* observation data");
    EXPECT_EQ(lines[37], " * model command line");
}

TEST(ControlRewrite, OnlyOneObservationGroupIsSupported) {
    ControlBody body;
    body.observations = {"* observation groups", "  early", "late", "* observation data",
                         "cn1 1.0 1.0 early"};
    ParsToFit pars = default_pars();
    const std::vector<std::string> lines = trimmed(rewrite(body, pars).records);
    EXPECT_EQ(lines[35], "  early");
    // The second group's line stands where the observation-data heading belongs; the heading goes
    // with the old observations, and every observation carries the first group's name.
    EXPECT_EQ(lines[36], "late");
    EXPECT_EQ(lines[37].substr(69), "       early");
    EXPECT_EQ(lines[40], " * model command line");
}

TEST(ControlRewrite, CommandLineHeadingAnywhereOnItsLine) {
    for (const std::string heading :
         {"* model command line", " * model command line", "   *   model command line"}) {
        ControlBody body;
        body.tail = {heading, "coltrans.exe  arg"};
        ParsToFit pars = default_pars();
        const Rewritten out = rewrite(body, pars);
        ASSERT_EQ(out.records.size(), 42u);
        EXPECT_EQ(out.records[40], " * model command line");
        EXPECT_EQ(out.records[41], line_buffer("coltrans.exe  arg"));
    }
}

TEST(ControlRewrite, AnObservationGroupNamedModelIsNoCommandHeading) {
    // The old observation lines of a group "model" hold "mod" first; only the real heading, which
    // begins with "*", ends them.
    ControlBody body;
    body.observations = {"* observation groups", "model", "* observation data", "cn1 1.0 1.0 model",
                         "  cn2 2.0 1.0 model"};
    ParsToFit pars = default_pars();
    const Rewritten out = rewrite(body, pars);
    const std::vector<std::string> lines = trimmed(out.records);
    ASSERT_EQ(lines.size(), 45u);
    EXPECT_EQ(lines[35], "model");
    EXPECT_EQ(lines[39].substr(69), "     model");
    EXPECT_EQ(lines[40], " * model command line");
    EXPECT_EQ(lines[41], "./coltrans");
}

TEST(ControlRewrite, LogKeptWhileBothBoundsArePositive) {
    struct Case {
        std::string old_transformation;
        std::size_t r;
        std::int32_t flag;
        double lower, upper;
        std::string_view transformation;
    };
    const std::vector<Case> cases{
        {"log", 1, 1, 1e-5, 5.0, "   log    "},  {"LOG", 1, 1, 1e-5, 5.0, "   log    "},
        {"log", 1, 1, 0.0, 5.0, "   none   "},   {"log", 1, 1, -1.0, 5.0, "   none   "},
        {"log", 1, 1, -5.0, -1.0, "   none   "}, {"none", 1, 1, 1e-5, 5.0, "   none   "},
        {"log", 1, 0, 1e-5, 5.0, "  fixed   "},  {"log", pestprep::kL2Index, 1, 1e-5, 5.0, "   tied   "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.old_transformation << " parameter " << c.r << " flag " << c.flag
                                        << " bounds " << c.lower << " " << c.upper);
        ControlBody body;
        body.parameters[c.r] = kNames[c.r] + " " + c.old_transformation + " factor 1.0 0.001 100.0 g" +
                               kNames[c.r] + " 1.0 0.0 1";
        ParsToFit pars = default_pars();
        pars.parfitflag[c.r] = c.flag;
        pars.parboundarymin[c.r] = c.lower;
        pars.parboundarymax[c.r] = c.upper;
        const Rewritten first = rewrite(body, pars);
        EXPECT_EQ(first.records[21 + c.r].substr(10, 10), c.transformation);
        // The next run reads the transformation back and keeps it.
        EXPECT_EQ(rewrite(first.records, pars, {1.5e-4, 2.5e-4, 3.5e-4}, {1.0, 2.0, 1e7}).records,
                  first.records);
    }
}

TEST(ControlRewrite, ChangeLimitFromTheBoundsOrKept) {
    ControlBody body;
    body.parameters[0] = "Dcx none factor 1.0 -1 1 gDcx 1.0 0.0 1";
    ParsToFit pars = default_pars();
    pars.parboundarymin[0] = -1.0;
    pars.parboundarymax[0] = 1.0;
    EXPECT_EQ(rewrite(body, pars).records[21].substr(20, 20), "relative            ");
    EXPECT_EQ(rewrite(body, pars, ChangeLimit::kept_from_file).records[21].substr(20, 20),
              "factor              ");
}

TEST(ControlRewrite, FullWidthFieldsReadBackUnchanged) {
    ControlBody body;
    body.parameters[2] =
        "R2 none factor 1.0 0.001 100.0 g2345678901234567890 s2345678901234567890 "
        "o2345678901234567890 d2345678901234567890";
    body.parameters[3] = "Kirr\tnone,factor 1.0 0.001 100.0 gKirr 1.0 0.0 1";
    ParsToFit pars = default_pars();
    const Rewritten first = rewrite(body, pars);
    EXPECT_EQ(trimmed(first.records[23]).substr(100),
              "g2345678901234567890 s2345678901234567890 o2345678901234567890 d2345678901234567890");
    // The rewritten file, rewritten again, comes out the same.
    const Rewritten second = rewrite(first.records, pars, {1.5e-4, 2.5e-4, 3.5e-4}, {1.0, 2.0, 1e7});
    EXPECT_EQ(second.records, first.records);
}

TEST(ControlRewrite, ParameterLineWithFewerFieldsTakesTheNextLine) {
    ControlBody body;
    body.parameters[0] = "Dcx none factor 1.0 0.001";
    body.parameters.insert(body.parameters.begin() + 1, "100.0 gDcx 1.0 0.0 1");
    ParsToFit pars = default_pars();
    const std::vector<std::string> lines = trimmed(rewrite(body, pars).records);
    EXPECT_EQ(lines[21].substr(100, 4), "gDcx");
    EXPECT_EQ(lines[22].substr(0, 2), "R1");
}

TEST(ControlRewriteFailures, HandledOnesReportAndEndTheProgram) {
    ParsToFit pars = default_pars();
    const std::vector<double> obs{1.0};
    const auto expect_end = [&](const std::vector<std::string>& backup, std::string_view message,
                                std::size_t fail_at = 0) {
        try {
            rewrite(backup, pars, obs, obs, ChangeLimit::from_bounds, fail_at);
            ADD_FAILURE() << "no failure for " << message;
        } catch (const common::ProgramEnd& end) {
            EXPECT_EQ(end.status(), common::ExitStatus::handled_failure);
        }
    };
    const std::vector<std::string> full = ControlBody{}.lines();

    // The back-up ends within the twenty copied lines.
    expect_end({full.begin(), full.begin() + 10}, "76");
    EXPECT_EQ(last_console,
              failure_console("Error during reading the pest control file Tracer_fit.pst file 76"));

    expect_end(full, "copy", 5);
    EXPECT_EQ(last_console, failure_console("Error writing the back up file of the Tracer_fit_pst file"));

    expect_end(full, "parameter line", 25);
    EXPECT_EQ(last_console,
              failure_console("Error  writting in the  Tracer_fit_pst file the status of the 73 "));

    ControlBody no_groups;
    no_groups.observations = {"* Observation groups", "conc", "* Observation data", "cn1 1.0 1.0 conc"};
    expect_end(no_groups.lines(), "no groups heading");
    EXPECT_EQ(
        last_console,
        failure_console("Eond of file while reading the back up file of the Tracer_fit_pst file 71, try to "
                        "get the  * model command line line"));

    ControlBody no_command;
    no_command.tail = {"* command line", "./coltrans", "* input/output", "input.tpl input.txt"};
    expect_end(no_command.lines(), "no command heading");
    EXPECT_EQ(
        last_console,
        failure_console("Eond of file while reading the back up file of the Tracer_fit_pst file 71, try to "
                        "get the  * model command line line"));
}

TEST(ControlRewriteFailures, OthersEndTheProgramWithTheDiagnostic) {
    ParsToFit pars = default_pars();
    const std::vector<double> obs{1.0};
    const std::vector<std::string> full = ControlBody{}.lines();
    // The back-up ends inside the parameter lines.
    EXPECT_THROW(rewrite({full.begin(), full.begin() + 30}, pars, obs, obs), common::IoFailure);
    // A fourth line without five integers.
    ControlBody words;
    words.counts = {"12 2 x 0 1"};
    EXPECT_THROW(rewrite(words.lines(), pars, obs, obs), common::IoFailure);
    // The tied line cannot be written.
    EXPECT_THROW(rewrite(full, pars, obs, obs, ChangeLimit::from_bounds, 34), common::IoFailure);
    // No group name line after the heading.
    ControlBody cut;
    cut.observations = {"* observation groups"};
    cut.tail.clear();
    EXPECT_THROW(rewrite(cut.lines(), pars, obs, obs), common::IoFailure);
}

// The whole rewrite on files, as the generator runs it.
class ControlFile : public testing::Test {
  protected:
    void write_control(std::string_view text) { write_file(dir_ / "tracer_fit.pst", text); }

    void run_rewrite(ChangeLimit change_limit = ChangeLimit::from_bounds) {
        common::RecordFile control =
            common::RecordFile::open_or_fail(path("tracer_fit.pst"), common::OpenMode::any);
        common::RecordFile backup =
            common::RecordFile::open_or_fail(path("tracer_fit_pst_temp.txt"), common::OpenMode::any);
        ParsToFit pars = default_pars();
        const std::vector<double> obs{1.0, 2.0};
        testing::internal::CaptureStdout();
        try {
            tracer_fit_pst_file(control, backup, obs, obs, pars, change_limit);
        } catch (...) {
            console_ = testing::internal::GetCapturedStdout();
            throw;
        }
        console_ = testing::internal::GetCapturedStdout();
    }

    std::string path(std::string_view name) const { return (dir_ / name).string(); }
    std::vector<std::string> directory_entries() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir_.path())) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    TempDir dir_;
    std::string console_;
};

std::string body_text() {
    std::string text;
    for (const std::string& line : ControlBody{}.lines()) text += line + "\r\n";
    return text;
}

TEST_F(ControlFile, FirstThreeLinesKeepTheirBytes) {
    const std::string head = "pcf\n* control data  " + std::string(600, 'x') + "\r\nrestart estimation\n";
    write_control(head + body_text());
    run_rewrite();
    const std::string rewritten = read_file(dir_ / "tracer_fit.pst");
    EXPECT_EQ(rewritten.substr(0, head.size()), head);
    EXPECT_EQ(rewritten.substr(head.size(), 32), "    12     2    12     0     1\r\n");
    // The back-up holds the whole previous file, every line as 500 columns.
    const std::string backup = read_file(dir_ / "tracer_fit_pst_temp.txt");
    EXPECT_EQ(backup.substr(0, 1004),
              line_buffer("pcf") + "\r\n" + line_buffer("* control data  " + std::string(600, 'x')) + "\r\n");
    EXPECT_EQ(backup.size(), (3 + ControlBody{}.lines().size()) * 502);
    EXPECT_EQ(directory_entries(), (std::vector<std::string>{"tracer_fit.pst", "tracer_fit_pst_temp.txt"}));
}

TEST_F(ControlFile, AFailedRewriteLeavesTheControlFileAsItWas) {
    std::string text = "pcf\r\n* control data\r\nrestart estimation\r\n" + body_text();
    for (std::size_t at; (at = text.find("* observation")) != std::string::npos;) text.replace(at, 3, "* O");
    write_control(text);
    EXPECT_THROW(run_rewrite(), common::ProgramEnd);
    EXPECT_EQ(read_file(dir_ / "tracer_fit.pst"), text);
    EXPECT_EQ(read_file(dir_ / "tracer_fit_pst_temp.txt").size(), (3 + ControlBody{}.lines().size()) * 502);
    EXPECT_EQ(directory_entries(), (std::vector<std::string>{"tracer_fit.pst", "tracer_fit_pst_temp.txt"}));

    const std::string unreadable_counts = "pcf\r\n* control data\r\nrestart estimation\r\n12 2 x\r\n";
    write_control(unreadable_counts);
    EXPECT_THROW(run_rewrite(), common::IoFailure);
    EXPECT_EQ(read_file(dir_ / "tracer_fit.pst"), unreadable_counts);
    EXPECT_EQ(directory_entries(), (std::vector<std::string>{"tracer_fit.pst", "tracer_fit_pst_temp.txt"}));
}

TEST_F(ControlFile, TooShortOrMissing) {
    // An older back-up is not mistaken for the control file.
    write_file(dir_ / "tracer_fit_pst_temp.txt",
               "pcf\r\n* control data\r\nrestart estimation\r\n" + body_text());
    write_control("");
    EXPECT_THROW(run_rewrite(), common::IoFailure);
    EXPECT_EQ(read_file(dir_ / "tracer_fit.pst"), "");
    write_control("pcf\r\n* control data\r\nrestart estimation\r\n");
    EXPECT_THROW(run_rewrite(), common::IoFailure);
    EXPECT_EQ(read_file(dir_ / "tracer_fit.pst"), "pcf\r\n* control data\r\nrestart estimation\r\n");
}

TEST_F(ControlFile, ALinkedControlFileIsRewrittenWhereTheLinkPoints) {
    const std::string text = "pcf\r\n* control data\r\nrestart estimation\r\n" + body_text();
    std::filesystem::create_directories(dir_ / "shared");
    for (const std::filesystem::path& link :
         {std::filesystem::path("shared/real.pst"), dir_ / "shared/real.pst"}) {
        SCOPED_TRACE(link.string());
        write_file(dir_ / "shared/real.pst", text);
        std::filesystem::remove(dir_ / "tracer_fit.pst");
        std::filesystem::create_symlink(link, dir_ / "tracer_fit.pst");
        run_rewrite();
        EXPECT_EQ(std::filesystem::read_symlink(dir_ / "tracer_fit.pst"), link);
        const std::string rewritten = read_file(dir_ / "shared/real.pst");
        EXPECT_TRUE(rewritten.starts_with(
            "pcf\r\n* control data\r\nrestart estimation\r\n    12     2    12     0     1\r\n"));
        EXPECT_NE(rewritten.find(" * model command line\r\n"), std::string::npos);
        // The back-up stays beside the link; nothing is left in either folder.
        EXPECT_EQ(read_file(dir_ / "tracer_fit_pst_temp.txt").size(),
                  (3 + ControlBody{}.lines().size()) * 502);
        EXPECT_EQ(directory_entries(),
                  (std::vector<std::string>{"shared", "tracer_fit.pst", "tracer_fit_pst_temp.txt"}));
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_ / "shared"),
                                std::filesystem::directory_iterator()),
                  1);
    }
}

TEST_F(ControlFile, PermissionsOfTheControlFileAreKept) {
    write_control("pcf\r\n* control data\r\nrestart estimation\r\n" + body_text());
    std::filesystem::permissions(dir_ / "tracer_fit.pst", std::filesystem::perms::owner_read |
                                                              std::filesystem::perms::owner_write |
                                                              std::filesystem::perms::group_read);
    run_rewrite();
    EXPECT_EQ(std::filesystem::status(dir_ / "tracer_fit.pst").permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                  std::filesystem::perms::group_read);
}

}  // namespace
}  // namespace pestprep::creating_files
