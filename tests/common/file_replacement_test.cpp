// Replacing a file as a whole, and reading its first lines as they stand.
#include "common/file_replacement.hpp"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

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
    std::filesystem::permissions(target, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
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
    if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
    TempDir dir;
    const std::string target = (dir / "control.pst").string();
    write_file(target, "old contents\n");
    std::filesystem::permissions(target, std::filesystem::perms::owner_read);
    ReplacementFile replacement;
    EXPECT_FALSE(replacement.begin(target, "head\n"));
    EXPECT_EQ(entries(dir), 1u);
}

}  // namespace
}  // namespace common
