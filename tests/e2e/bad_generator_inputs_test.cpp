// The generators fed what users may give them by mistake: empty and garbled inputs, endless lines,
// numbers that are not finite, a run directory or files they may not write, folders where files
// belong. Every run ends with a clear message and its exit status; the control file keeps its
// bytes unless it is replaced whole, and no input is ever touched.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/e2e/file_snapshot.hpp"
#include "tests/e2e/pestprep_run_directory.hpp"
#include "tests/support/permissions.hpp"

namespace {

namespace fs = std::filesystem;
using e2e_files::binary_garbage;
using e2e_files::changed_files;
using e2e_files::is_clear_diagnostic;
using e2e_files::snapshot;
using e2e_files::Snapshot;
using pestprep_e2e::RunDirectory;
using test_support::ProgramRun;

const fs::path kExample = fs::path(CT_SOURCE_DIR) / "examples" / "calibration" / "run";
const std::vector<std::string> kNone;
const std::vector<std::string> kInputs = {"SystemFiles/ExpData.txt", "SystemFiles/TimeAndCoords.txt",
                                          "SystemFiles/ParsToFit.txt"};
// What a run writes before it rewrites the control file, and so may change when the rewrite fails.
const std::vector<std::string> kWrittenFirst = {"input.tpl", "print.ins", "tracer_fit_pst_temp.txt"};

// The calibration example with the files of an earlier run beside it.
void install(const RunDirectory& run) {
    fs::copy(kExample, run.path(), fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    for (const char* name : {"print.ins", "input.tpl", "tracer_fit.rec", "tracer_fit_pst_temp.txt"}) {
        run.write(name, std::string("from an earlier run: ") + name + "\r\n");
    }
}

// The files that changed, but for those that the run writes before the control file.
std::vector<std::string> damaged(const Snapshot& before, const Snapshot& after) {
    std::vector<std::string> names;
    for (const std::string& name : changed_files(before, after)) {
        if (std::find(kWrittenFirst.begin(), kWrittenFirst.end(), name) == kWrittenFirst.end())
            names.push_back(name);
    }
    return names;
}

// Entries of the run directory that are not the generator's files.
std::vector<std::string> strangers(const RunDirectory& run) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(run.path())) {
        const std::string name = entry.path().filename().string();
        if (name.find(".partial-") != std::string::npos) names.push_back(name);
    }
    return names;
}

TEST(BadGeneratorInput, EmptyFilesEndWithTheDiagnosticNamingThem) {
    for (const std::string& file :
         {std::string("SystemFiles/ExpData.txt"), std::string("SystemFiles/TimeAndCoords.txt"),
          std::string("SystemFiles/ParsToFit.txt"), std::string("tracer_fit.pst")}) {
        SCOPED_TRACE(file);
        RunDirectory run;
        install(run);
        run.write(file, "");
        const Snapshot before = snapshot(run.path());
        const ProgramRun result = run.run();
        EXPECT_EQ(result.status, 2);
        EXPECT_TRUE(is_clear_diagnostic(result.err, fs::path(file).filename().string(), "end of file"))
            << result.err;
        EXPECT_EQ(damaged(before, snapshot(run.path())), kNone);
        EXPECT_EQ(strangers(run), kNone);
    }
}

TEST(BadGeneratorInput, AMissingInputIsNamedAndNothingIsWritten) {
    for (const std::string program : {"pestprep", "pestprep_keeplim"}) {
        for (const std::string file : {"tracer_fit.pst", "SystemFiles/ParsToFit.txt",
                                       "SystemFiles/TimeAndCoords.txt", "SystemFiles/ExpData.txt"}) {
            SCOPED_TRACE(program + ": " + file);
            RunDirectory run(program);
            install(run);
            fs::remove(run / file);
            const Snapshot before = snapshot(run.path());
            const ProgramRun result = run.run();
            EXPECT_EQ(result.status, 2);
            EXPECT_TRUE(is_clear_diagnostic(result.err, (run / file).string(), "No such file or directory"))
                << result.err;
            EXPECT_EQ(changed_files(before, snapshot(run.path())), kNone);
            EXPECT_FALSE(fs::exists(run / file));
        }
    }
}

TEST(BadGeneratorInput, BinaryGarbageIsReportedAndTheControlFileKept) {
    struct Case {
        std::string file;
        int status;
        std::string message;  // console message of a handled failure
    };
    const std::vector<Case> cases = {
        {"SystemFiles/ExpData.txt", 1, " Error found during the reading of ExpData.txt \r\n"},
        {"SystemFiles/TimeAndCoords.txt", 1, " Error found during the reading of TimeAndCoords.txt \r\n"},
        {"SystemFiles/ParsToFit.txt", 1,
         " Error found during the extraction of the parsToFit data. PLz  check the parsToFit.txt file \r\n"},
        {"tracer_fit.pst", 2, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        RunDirectory run;
        install(run);
        run.write(c.file, binary_garbage(30000));
        const Snapshot before = snapshot(run.path());
        const ProgramRun result = run.run();
        EXPECT_EQ(result.status, c.status);
        if (c.status == 1) {
            EXPECT_TRUE(result.out.ends_with(c.message)) << result.out;
        } else {
            EXPECT_TRUE(is_clear_diagnostic(result.err, "line 4", "bad integer")) << result.err;
        }
        EXPECT_EQ(damaged(before, snapshot(run.path())), kNone);
        EXPECT_EQ(strangers(run), kNone);
    }
}

// Each line of the text with `suffix` after it, its own line end kept.
std::string with_suffix(const std::string& text, const std::string& suffix) {
    std::string out;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        std::string line = text.substr(start, end - start);
        const bool cr = line.ends_with('\r');
        if (cr) line.pop_back();
        out += line + suffix + (cr ? "\r\n" : "\n");
    }
    return out;
}

TEST(BadGeneratorInput, LinesOf100000CharactersReadAsTheirValues) {
    RunDirectory reference;
    install(reference);
    ASSERT_EQ(reference.run().status, 0);
    const Snapshot expected = snapshot(reference.path());

    // A comment of 100 000 characters after every record of the three inputs changes nothing.
    RunDirectory commented;
    install(commented);
    for (const std::string& input : kInputs) {
        commented.write(input, with_suffix(commented.read(input), "   " + std::string(100000, 'c')));
    }
    ASSERT_EQ(commented.run().status, 0);
    Snapshot got = snapshot(commented.path());
    for (const std::string& input : kInputs) got[input] = expected.at(input);
    EXPECT_EQ(changed_files(expected, got), kNone);

    // In the control file: line 3 is kept byte for byte; a copied line goes through the 500-column
    // line buffer like every other.
    RunDirectory control;
    install(control);
    std::string text = control.read("tracer_fit.pst");
    const std::string long_words(100000, 'w');
    text.insert(text.find("restart estimation") + 18, " " + long_words);
    text.insert(text.find("* parameter groups") + 18, " " + long_words);
    control.write("tracer_fit.pst", text);
    ASSERT_EQ(control.run().status, 0);
    const std::string rewritten = control.read("tracer_fit.pst");
    const std::size_t line3 = rewritten.find("restart estimation " + long_words);
    ASSERT_NE(line3, std::string::npos);
    EXPECT_TRUE(rewritten.substr(line3 + 19 + long_words.size(), 1).find_first_of("\r\n") == 0);
    const std::size_t groups = rewritten.find("* parameter groups");
    EXPECT_EQ(rewritten.substr(groups, 502), "* parameter groups " + long_words.substr(0, 481) + "\r\n");
}

// PEST reads no NaN or infinity: such a value is reported as a bad record of its file, and the
// PEST files stay as they were.
TEST(BadGeneratorInput, NanAndInfinitiesAreReportedAsBadRecords) {
    struct Case {
        std::string file, plain, bad, message;
    };
    const Case cases[] = {
        {"SystemFiles/ParsToFit.txt", "1.5        1     0.01       50.0", "NaN        1     0.01       inf ",
         " Error found during the extraction of the parsToFit data. PLz  check the parsToFit.txt file \r\n"},
        {"SystemFiles/ExpData.txt", "5.866E-08     500000", "5.866E-08     -inf  ",
         " Error found during the extraction of the expData. PLz  check the expData.txt file \r\n"},
        {"SystemFiles/TimeAndCoords.txt", "2.00       30.0", "inf        30.0",
         " Error found during the extraction of the TimeAndCoords. PLz check the TimeAndCoords.txt file\r\n"},
    };
    for (const Case& c : cases) {
        RunDirectory run;
        install(run);
        std::string text = run.read(c.file);
        text.replace(text.find(c.plain), c.plain.size(), c.bad);
        run.write(c.file, text);
        const Snapshot before = snapshot(run.path());
        const ProgramRun result = run.run();
        EXPECT_EQ(result.status, 1) << c.file;
        EXPECT_TRUE(result.out.ends_with(c.message)) << result.out;
        EXPECT_EQ(damaged(before, snapshot(run.path())), kNone) << c.file;
    }
}

TEST(BadGeneratorInput, AReadOnlyRunDirectory) {
    if (!test_support::permissions_can_bind())
        GTEST_SKIP() << "permissions cannot be made to bind the superuser here";
    constexpr auto kReadOnly = fs::perms::owner_read | fs::perms::owner_exec;
    // The files may be written, but no new file created: the control file cannot be replaced.
    RunDirectory folder;
    install(folder);
    fs::permissions(folder.path(), kReadOnly);
    Snapshot before = snapshot(folder.path());
    ProgramRun result = folder.run("", true);
    fs::permissions(folder.path(), fs::perms::owner_all);
    EXPECT_EQ(result.status, 2);
    EXPECT_TRUE(is_clear_diagnostic(result.err, "tracer_fit.pst", "Permission denied")) << result.err;
    EXPECT_EQ(damaged(before, snapshot(folder.path())), kNone);
    EXPECT_EQ(strangers(folder), kNone);

    // Nothing may be written: the first output fails, and every file keeps its bytes.
    RunDirectory everything;
    install(everything);
    for (const auto& entry : fs::recursive_directory_iterator(everything.path())) {
        if (entry.is_regular_file() && entry.path().filename() != "pestprep") {
            fs::permissions(entry.path(), fs::perms::owner_read);
        }
    }
    fs::permissions(everything.path(), kReadOnly);
    before = snapshot(everything.path());
    result = everything.run("", true);
    EXPECT_EQ(result.status, 2);
    EXPECT_TRUE(is_clear_diagnostic(result.err, "print.ins", "Permission denied")) << result.err;
    EXPECT_EQ(changed_files(before, snapshot(everything.path())), kNone);
}

TEST(BadGeneratorInput, OutputsThatCannotBeWrittenLeaveTheControlFile) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    struct Case {
        std::string file;
        int status;
    };
    // A full disk under each output; the back-up's failure has a handler.
    for (const Case& c : {Case{"print.ins", 2}, Case{"input.tpl", 2}, Case{"tracer_fit_pst_temp.txt", 1}}) {
        SCOPED_TRACE(c.file);
        RunDirectory run;
        install(run);
        fs::remove(run / c.file);
        fs::create_symlink("/dev/full", run / c.file);
        const Snapshot before = snapshot(run.path());
        const ProgramRun result = run.run();
        EXPECT_EQ(result.status, c.status);
        if (c.status == 2) {
            EXPECT_TRUE(is_clear_diagnostic(result.err, c.file, "No space left on device")) << result.err;
        } else {
            EXPECT_TRUE(result.out.find(" Error writing the back up file of the Tracer_fit_pst file\r\n") !=
                        std::string::npos)
                << result.out;
        }
        EXPECT_EQ(damaged(before, snapshot(run.path())), kNone);
        EXPECT_EQ(strangers(run), kNone);
    }
    // A control file that may not be written is not replaced.
    if (!test_support::permissions_can_bind()) return;
    RunDirectory run;
    install(run);
    fs::permissions(run / "tracer_fit.pst", fs::perms::owner_read);
    const Snapshot before = snapshot(run.path());
    const ProgramRun result = run.run("", true);
    EXPECT_EQ(result.status, 2);
    EXPECT_TRUE(is_clear_diagnostic(result.err, "tracer_fit.pst", "Permission denied")) << result.err;
    EXPECT_EQ(damaged(before, snapshot(run.path())), kNone);
    EXPECT_EQ(strangers(run), kNone);
}

TEST(BadGeneratorInput, AFolderWhereAFileBelongs) {
    for (const std::string program : {"pestprep", "pestprep_keeplim"}) {
        for (const std::string file :
             {"print.ins", "input.tpl", "tracer_fit.pst", "tracer_fit.rec", "tracer_fit_pst_temp.txt",
              "SystemFiles/ParsToFit.txt", "SystemFiles/TimeAndCoords.txt", "SystemFiles/ExpData.txt"}) {
            SCOPED_TRACE(program + ": " + file);
            RunDirectory run(program);
            install(run);
            fs::remove(run / file);
            fs::create_directories(run / file / "inside");
            const Snapshot before = snapshot(run.path());
            const ProgramRun result = run.run();
            EXPECT_EQ(result.status, 2);
            EXPECT_TRUE(is_clear_diagnostic(result.err, fs::path(file).filename().string(), "Is a directory"))
                << result.err;
            EXPECT_EQ(changed_files(before, snapshot(run.path())), kNone);
            EXPECT_TRUE(fs::is_directory(run / file / "inside"));
        }
    }
}

}  // namespace
