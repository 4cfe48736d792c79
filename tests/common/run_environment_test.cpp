// Run directory discovery, console records, pause and stop, allocation and exit statuses.
#include <gtest/gtest.h>

#include <cstdio>

#include "common/allocation.hpp"
#include "common/console.hpp"
#include "common/failure.hpp"
#include "common/program_main.hpp"
#include "common/run_directory.hpp"

namespace common {
namespace {

DiscoveryInputs inputs(std::optional<std::string> path, std::string argument0,
                       std::optional<std::string> cwd = {}) {
    DiscoveryInputs in;
    in.path_variable = std::move(path);
    in.argument0 = std::move(argument0);
    in.current_directory = [cwd] { return cwd; };
    return in;
}

TEST(RunDirectory, PathAndProgramGiveSeparatorAndFileNames) {
    struct Case {
        const char* path;
        const char* argument0;
        char separator;
        const char* message;
        const char* input;
        const char* exp_data;
    };
    for (const Case& c : {Case{"C:\\Windows\\system32;C:\\bin", "C:\\runs\\col\\coltrans.exe", '\\',
                               "Windows type system, directory separator found", "C:\\runs\\col\\input.txt",
                               "C:\\runs\\col\\SystemFiles\\ExpData.txt"},
                          Case{"/usr/local/bin:/usr/bin", "/home/u/run1/coltrans", '/',
                               "Unix type system, directory separator found", "/home/u/run1/input.txt",
                               "/home/u/run1/SystemFiles/ExpData.txt"}}) {
        const Discovery d = discover_run_directory(inputs(c.path, c.argument0), 255);
        EXPECT_EQ(d.run.separator, c.separator);
        EXPECT_EQ(d.message, c.message);
        EXPECT_EQ(d.run.file("input.txt"), c.input);
        EXPECT_EQ(d.run.file("SystemFiles", "ExpData.txt"), c.exp_data);
    }
}

TEST(RunDirectory, MissingOrUnusualPathAssumesSlash) {
    for (const std::optional<std::string>& path :
         {std::optional<std::string>{}, std::optional<std::string>{""}, std::optional<std::string>{"ab"},
          std::optional<std::string>{"%SystemRoot%\\system32"}, std::optional<std::string>{"bin:/usr/bin"}}) {
        const Discovery d = discover_run_directory(inputs(path, "C:\\runs\\col\\coltrans.exe", "/cwd"), 255);
        EXPECT_EQ(d.run.separator, '/');
        EXPECT_EQ(d.message, "Unix type system, directory separator assummed");
        // A Windows argument 0 then holds no separator: the current directory is the run directory.
        EXPECT_EQ(d.run.file("input.txt"), "/cwd/input.txt");
    }
}

TEST(RunDirectory, BareNameRootAndCurrentDirectoryFallbacks) {
    EXPECT_EQ(discover_run_directory(inputs("/bin", "coltrans", "/work/run"), 255).run.file("input.txt"),
              "/work/run/input.txt");
    EXPECT_EQ(discover_run_directory(inputs("/bin", "/coltrans"), 255).run.file("input.txt"), "/input.txt");
    EXPECT_EQ(discover_run_directory(inputs("/bin", "./coltrans", "/x"), 255).run.file("input.txt"),
              "./input.txt");
    // A current directory that does not fit the field leaves the run directory blank.
    EXPECT_EQ(
        discover_run_directory(inputs("/bin", "coltrans", "/" + std::string(255, 'd')), 255).run.directory,
        "");
    EXPECT_EQ(discover_run_directory(inputs("/bin", "coltrans", std::nullopt), 255).run.directory, "");
}

TEST(RunDirectory, WorkFieldsAreCutToTheirWidth) {
    const std::string long_dir = "/" + std::string(260, 'a');
    // Cut at 250 the argument holds only the first separator.
    const Discovery generator = discover_run_directory(inputs("/bin", long_dir + "/pestprep", "/cwd"), 250);
    EXPECT_EQ(generator.run.directory, "");
    const std::string dir249 = "/" + std::string(248, 'b');
    EXPECT_EQ(discover_run_directory(inputs("/bin", dir249 + "/p", "/cwd"), 250).run.directory, dir249);
    EXPECT_EQ(discover_run_directory(inputs("/bin", dir249 + "/p", "/cwd"), 255).run.directory, dir249);
    // A PATH whose first '/' lies beyond the field still begins with it or not as cut.
    EXPECT_EQ(discover_run_directory(inputs(std::string(300, 'x') + "/", "p", "/c"), 250).message,
              "Unix type system, directory separator assummed");
}

TEST(RunDirectory, TrailingBlanksOfTheDirectoryAreRemoved) {
    EXPECT_EQ(discover_run_directory(inputs("/bin", "/run dir  /coltrans"), 255).run.file("input.txt"),
              "/run dir/input.txt");
}

class ConsoleTest : public ::testing::Test {
  protected:
    static std::FILE* answers(const char* text) {
        std::FILE* file = std::tmpfile();
        std::fputs(text, file);
        std::rewind(file);
        return file;
    }
};

TEST_F(ConsoleTest, ConsoleRecordsEndWithCrLf) {
    testing::internal::CaptureStdout();
    console_list({"100"});
    console_record("x");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), " 100\r\nx\r\n");
}

TEST_F(ConsoleTest, PauseResumesOnGo) {
    std::FILE* in = answers("go\n");
    testing::internal::CaptureStderr();
    EXPECT_NO_THROW(pause("", in));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "PAUSE \r\nTo resume execution, type go.  Other input will terminate the job.\r\nRESUMED\r\n");
    std::fclose(in);
}

TEST_F(ConsoleTest, PauseEndsTheProgramOnAnyOtherAnswerOrNoAnswer) {
    for (const char* text : {"no\n", "GO\n", "gone\n", "", "\n"}) {
        std::FILE* in = answers(text);
        testing::internal::CaptureStderr();
        try {
            pause("msg", in);
            ADD_FAILURE() << "resumed on '" << text << "'";
        } catch (const ProgramEnd& end) {
            EXPECT_EQ(end.status(), ExitStatus::handled_failure);
        }
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(err.rfind("PAUSE msg\r\n", 0), 0u);
        EXPECT_EQ(err.find("RESUMED"), std::string::npos);
        std::fclose(in);
    }
    std::FILE* in = answers("go\r\n");
    testing::internal::CaptureStderr();
    EXPECT_NO_THROW(pause("", in));
    testing::internal::GetCapturedStderr();
    std::fclose(in);
}

TEST_F(ConsoleTest, StopWritesItsMessageAndEnds) {
    testing::internal::CaptureStderr();
    EXPECT_THROW(stop("the end"), ProgramEnd);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "STOP the end\r\n");
    testing::internal::CaptureStderr();
    EXPECT_THROW(stop(), ProgramEnd);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST(ExitStatus, DecidedFromHowTheRunEnded) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(run_program("p", [] { return ExitStatus::success; }), 0);
    EXPECT_EQ(run_program("p", [] { return ExitStatus::handled_failure; }), 1);
    EXPECT_EQ(run_program("p", []() -> ExitStatus { throw ProgramEnd(); }), 1);
    EXPECT_EQ(
        run_program("p", []() -> ExitStatus { throw IoFailure("/r/input.txt", "cannot open", "gone"); }), 2);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("cannot open '/r/input.txt': gone"), std::string::npos);
    EXPECT_NE(err.find("run_environment_test.cpp:"), std::string::npos);
}

TEST(ExitStatus, TheDiagnosticNamesTheFileItsLineAndOurSourceByFileAndLine) {
    const unsigned line = __LINE__ + 1;
    const IoFailure failure("/r/input.txt", "cannot read D (line 2) from", "bad real number 'x'", 3);
    EXPECT_EQ(
        io_failure_diagnostic("coltrans", failure),
        "coltrans: input/output failure at tests/common/run_environment_test.cpp:" + std::to_string(line) +
            ": cannot read D (line 2) from '/r/input.txt', line 3: bad real number 'x'");
    // Without a line of the file.
    EXPECT_TRUE(io_failure_diagnostic("p", IoFailure("/r/f", "cannot open", "gone"))
                    .ends_with(": cannot open '/r/f': gone"));
}

TEST(Allocation, SizesThatOverflowOrCannotBeHad) {
    EXPECT_EQ(allocate_array<double>(3).size(), 3u);
    EXPECT_EQ(allocate_array<double>(0).size(), 0u);
    try {
        allocate_array<double>(std::numeric_limits<std::int64_t>::max() / 4);
        ADD_FAILURE();
    } catch (const AllocationFailure& failure) {
        EXPECT_STREQ(failure.what(), "Integer overflow when calculating the amount of memory to allocate");
    }
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer's allocator aborts on an impossible size instead of failing";
#endif
    try {
        allocate_array<double>(std::numeric_limits<std::int64_t>::max() / 16);
        ADD_FAILURE();
    } catch (const AllocationFailure& failure) {
        EXPECT_STREQ(failure.what(), "Allocation would exceed memory limit");
    }
}

}  // namespace
}  // namespace common
