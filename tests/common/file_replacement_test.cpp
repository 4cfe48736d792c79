// Replacing a file as a whole, and reading its first lines as they stand.
#include "common/file_replacement.hpp"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include "tests/support/permissions.hpp"
#include "tests/support/temp_dir.hpp"

namespace common {
namespace {

using test_support::read_file;
using test_support::TempDir;
using test_support::write_file;

std::size_t entries(const TempDir& dir) {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir.path()), {}));
}

TEST(LeadingLines, ExactBytesWithTheirOwnLineEnds) {
    TempDir dir;
    const std::string long_line(70000, 'x');
    write_file(dir / "f", "one\r\n" + long_line + "\nthree\r\r\nfour\n");
    std::string bytes;
    ASSERT_TRUE(read_leading_lines((dir / "f").string(), 3, bytes));
    EXPECT_EQ(bytes, "one\r\n" + long_line + "\nthree\r\r\n");
    write_file(dir / "short", "a\nb");
    ASSERT_TRUE(read_leading_lines((dir / "short").string(), 3, bytes));
    EXPECT_EQ(bytes, "a\nb");
    EXPECT_FALSE(read_leading_lines((dir / "missing").string(), 3, bytes));
}

TEST(Replacement, TheTargetChangesOnlyOnCommit) {
    TempDir dir;
    const std::string target = (dir / "control.pst").string();
    write_file(target, "old contents\n");
    std::filesystem::permissions(target,
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    {
        ReplacementFile replacement;
        ASSERT_TRUE(replacement.begin(target, "head\n"));
        ASSERT_TRUE(replacement.records().write_record("record"));
        EXPECT_EQ(read_file(target), "old contents\n");
        EXPECT_EQ(entries(dir), 2u);
        ASSERT_TRUE(replacement.commit());
    }
    EXPECT_EQ(read_file(target), "head\nrecord\r\n");
    EXPECT_EQ(entries(dir), 1u);
    EXPECT_EQ(std::filesystem::status(target).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

TEST(Replacement, AbandonedReplacementLeavesNothingBehind) {
    TempDir dir;
    const std::string target = (dir / "control.pst").string();
    write_file(target, "old contents\n");
    {
        ReplacementFile replacement;
        ASSERT_TRUE(replacement.begin(target, "head\n"));
        ASSERT_TRUE(replacement.records().write_record(std::string(100000, 'y')));
    }
    EXPECT_EQ(read_file(target), "old contents\n");
    EXPECT_EQ(entries(dir), 1u);
}

TEST(Replacement, AReadOnlyTargetIsNotReplaced) {
    TempDir dir;
    const std::string target = (dir / "control.pst").string();
    write_file(target, "old contents\n");
    std::filesystem::permissions(target, std::filesystem::perms::owner_read);
    const test_support::PermissionsBind bind;
    if (!bind.active()) GTEST_SKIP() << "permissions cannot be made to bind the superuser here";
    ReplacementFile replacement;
    EXPECT_FALSE(replacement.begin(target, "head\n"));
    EXPECT_EQ(entries(dir), 1u);
}

TEST(Replacement, TemporaryFilesOfKilledReplacementsAreRemovedByTheNextOne) {
    TempDir dir;
    const std::string target = (dir / "control.pst").string();
    write_file(target, "old contents\n");
    // Left by programs killed while they replaced the target; a user's own files beside it stay.
    write_file(dir / "control.pst.partial-a1B2c3", "half");
    write_file(dir / "control.pst.partial-zzzzzz", "");
    write_file(dir / "control.pst.backup", "mine");
    write_file(dir / "control.pst.partial-mine", "mine");
    ReplacementFile running;
    ASSERT_TRUE(running.begin(target, "running\n"));
    const std::string held = running.temporary_path();
    EXPECT_TRUE(held.starts_with(target + ".partial-"));
    EXPECT_EQ(entries(dir), 4u);
    // One that is still being written is not taken for a left-over.
    ReplacementFile next;
    ASSERT_TRUE(next.begin(target, "next\n"));
    EXPECT_TRUE(std::filesystem::exists(held));
    ASSERT_TRUE(next.commit());
    EXPECT_EQ(read_file(target), "next\n");
    EXPECT_EQ(entries(dir), 4u);
}

}  // namespace
}  // namespace common
