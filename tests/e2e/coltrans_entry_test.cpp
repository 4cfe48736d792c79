// The simulator's entry as a user runs it: argument 0, PATH, current directory and exit status.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/program_runner.hpp"
#include "tests/support/temp_dir.hpp"

namespace {

using test_support::built_program;
using test_support::ProgramOptions;
using test_support::run_program;
using test_support::TempDir;

// A run directory with a copy of the program, as users lay it out.
std::filesystem::path install_program(const TempDir& dir, const std::string& name = "coltrans") {
    std::filesystem::create_directories(dir / "run");
    std::filesystem::copy_file(built_program(name), dir / "run" / name);
    return dir / "run" / name;
}

TEST(ColtransEntry, MissingInputFileIsNamedAndNothingIsWritten) {
    TempDir dir;
    const auto program = install_program(dir);
    ProgramOptions options;
    options.executable = program;
    options.working_directory = dir.path();
    const auto run = run_program(options);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, " Unix type system, directory separator found\r\n");
    EXPECT_NE(run.err.find((dir / "run" / "input.txt").string()), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("No such file or directory"), std::string::npos) << run.err;
    // Only the program itself is there: no print.txt, no message file, no archive.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "run"), {}), 1);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(ColtransEntry, PathUnsetAssumesSlashAndBareNameUsesTheCurrentDirectory) {
    TempDir dir;
    const auto program = install_program(dir);
    ProgramOptions options;
    options.executable = program;
    options.argument0 = "coltrans";
    options.path_variable.reset();
    options.working_directory = dir / "run";
    const auto run = run_program(options);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, " Unix type system, directory separator assummed\r\n");
    EXPECT_NE(run.err.find((dir / "run" / "input.txt").string()), std::string::npos) << run.err;
}

}  // namespace

namespace {

TEST(ColtransEntry, HelpAndVersionTouchNoFile) {
    TempDir dir;
    const auto program = install_program(dir);
    for (const char* argument : {"--help", "--version"}) {
        ProgramOptions options;
        options.executable = program;
        options.arguments = {argument};
        options.working_directory = dir.path();
        const auto run = run_program(options);
        EXPECT_EQ(run.status, 0);
        EXPECT_NE(run.out.find("coltrans"), std::string::npos);
        EXPECT_EQ(run.err, "");
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "run"), {}), 1);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
    // Any other argument is ignored: the run goes on and misses its input.
    ProgramOptions options;
    options.executable = program;
    options.arguments = {"--verbose"};
    EXPECT_EQ(run_program(options).status, 2);
}

}  // namespace
