// The run archive: where it lies, and the block of a colloid run record by record.
#include "coltrans/run_archive.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "coltrans/colloid_archive.hpp"
#include "coltrans/result_file.hpp"
#include "common/failure.hpp"
#include "common/format.hpp"
#include "tests/support/temp_dir.hpp"

namespace coltrans {
namespace {

using test_support::crlf_lines;
using test_support::read_file;
using test_support::TempDir;

common::RunDirectory run_in(std::string directory, char separator = '/') {
    return common::RunDirectory{std::move(directory), separator};
}

TEST(RunArchivePath, BesideTheRunDirectory) {
    const std::optional<std::string> cwd = "/home/u/calib";
    EXPECT_EQ(run_archive_path(run_in("/home/u/run1"), cwd), "/home/u/Saved_Simulations/Total_Runs1.txt");
    EXPECT_EQ(run_archive_path(run_in("C:\\runs\\col", '\\'), cwd),
              "C:\\runs\\Saved_Simulations\\Total_Runs1.txt");
    // The program in the root directory: the run directory is empty.
    EXPECT_EQ(run_archive_path(run_in(""), cwd), "/Saved_Simulations/Total_Runs1.txt");
    // Absolute run directories are taken as they are.
    EXPECT_EQ(run_archive_path(run_in("/home/u/run1/."), cwd),
              "/home/u/run1/Saved_Simulations/Total_Runs1.txt");
}

TEST(RunArchivePath, RelativeRunDirectoriesAreResolvedAgainstTheCurrentDirectory) {
    const std::optional<std::string> cwd = "/home/u/calib";
    // "./coltrans" started in the run directory itself.
    EXPECT_EQ(run_archive_path(run_in("."), cwd), "/home/u/Saved_Simulations/Total_Runs1.txt");
    // "run1/coltrans" started in the parent.
    EXPECT_EQ(run_archive_path(run_in("run1"), cwd), "/home/u/calib/Saved_Simulations/Total_Runs1.txt");
    EXPECT_EQ(run_archive_path(run_in("./run1/"), cwd), "/home/u/calib/Saved_Simulations/Total_Runs1.txt");
    EXPECT_EQ(run_archive_path(run_in("../other/run2"), cwd),
              "/home/u/other/Saved_Simulations/Total_Runs1.txt");
    EXPECT_EQ(run_archive_path(run_in("run1/.."), cwd), "/home/u/Saved_Simulations/Total_Runs1.txt");
    EXPECT_EQ(run_archive_path(run_in("."), std::string("/")), "/Saved_Simulations/Total_Runs1.txt");
    // Without a current directory the parent is taken from the text as it stands.
    EXPECT_EQ(run_archive_path(run_in("run1"), std::nullopt), "/Saved_Simulations/Total_Runs1.txt");
    EXPECT_EQ(run_archive_path(run_in("a/run1"), std::nullopt), "a/Saved_Simulations/Total_Runs1.txt");
}

TEST(RunArchive, AMissingFolderNamesTheArchive) {
    TempDir dir;
    const std::string path = (dir / "Saved_Simulations" / "Total_Runs1.txt").string();
    try {
        RunArchive::open(run_in((dir / "run").string()));
        ADD_FAILURE();
    } catch (const common::IoFailure& failure) {
        EXPECT_EQ(failure.file(), path);
        EXPECT_NE(failure.action().find("Saved_Simulations"), std::string::npos);
        EXPECT_EQ(failure.cause(), "No such file or directory");
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "Saved_Simulations"));
}

TEST(RunArchive, ABlockAfterAnIncompleteRecordStartsOnALineOfItsOwn) {
    // What a run killed, or out of disk space, while it appended its block leaves at the archive's
    // end, and what the next block is appended to.
    struct Case {
        std::string end;
        std::string then;
    };
    const std::vector<Case> cases = {
        {"", " \r\n"},
        {"record\r\n", "record\r\n \r\n"},
        {"record cut", "record cut\r\n \r\n"},
        {"record cut after its CR\r", "record cut after its CR\r\n \r\n"},
        {"record ended by LF\n", "record ended by LF\n \r\n"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const std::string path = (dir / "Total_Runs1.txt").string();
        test_support::write_file(path, c.end);
        RunArchive archive = RunArchive::open_path(path);
        archive.write_or_fail(common::list_record({}));
        ASSERT_TRUE(archive.close());
        EXPECT_EQ(read_file(path), c.then) << c.end;
    }
}

TEST(RunArchive, ColloidBlockRecordByRecord) {
    TempDir dir;
    std::filesystem::create_directories(dir / "run");
    std::filesystem::create_directories(dir / "Saved_Simulations");
    test_support::write_file(dir / "Saved_Simulations" / "Total_Runs1.txt", "earlier runs\r\n");
    ResultFile print_txt((dir / "run" / "print.txt").string());
    print_txt.write_header(ResultTable::colloid);
    print_txt.write_result(0.5, 10.0, 0.125);

    ColloidSettings settings;
    settings.sim_mode = 10.0f;
    settings.d = 0.5;
    settings.kc = 2.0;
    settings.kr = 0.0;
    settings.lamda = -1.0;
    settings.u = 1e-3;
    settings.line7 = 12.0;
    settings.theta = 0.25;
    settings.lamdas = 1.0;
    settings.line10 = 3.0;
    settings.rh0 = 1.5;
    EXPECT_EQ(append_colloid_block(run_in((dir / "run").string()), ColloidFamily::instantaneous, settings, 1,
                                   0.25f, print_txt.file())
                  .copy,
              ArchiveCopy::complete);

    const auto pad = [](std::string record) {
        record.resize(200, ' ');
        return record;
    };
    const auto header = result_header_records(ResultTable::colloid);
    const std::string expected =
        "earlier runs\r\n" +
        crlf_lines({" ",
                    " ",
                    " ***New Simulation***",
                    "           1",
                    "     0.25000",
                    "  Simulation type, SimuMode",
                    "   10.0000000    ",
                    "  hydrodynamic dispersion coefficient [cm^2/hr], D",
                    "  0.50000000000000000     ",
                    " clogging rate constant [1/hr],kc",
                    "   2.0000000000000000     ",
                    " declogging rate constant [1/hr],kr",
                    "   0.0000000000000000     ",
                    " inactivation constant of suspended viruses [1/hr], lamda",
                    "  -1.0000000000000000     ",
                    "  average interstitial velocity [cm/hr], U",
                    "   1.0000000000000000E-003",
                    " Cross section Area,A0",
                    "   12.000000000000000     ",
                    " porosity [-], Theta",
                    "  0.25000000000000000     ",
                    " ! inactivation constant of adsorbed viruses [1/hr],lamdas",
                    "   1.0000000000000000     ",
                    " source mass rate [gr/sec],mi",
                    "   3.0000000000000000     ",
                    " bulk density of the solid matrix [g/cm^3],rh0",
                    "   1.5000000000000000     "}) +
        crlf_lines({pad(header[0]), pad(header[1]), pad(header[2]), pad(result_record(0.5, 10.0, 0.125))});
    EXPECT_EQ(read_file(dir / "Saved_Simulations" / "Total_Runs1.txt"), expected);
    EXPECT_EQ(pad(result_record(0.5, 10.0, 0.125)).find('\t'), 15U);
}

}  // namespace
}  // namespace coltrans
