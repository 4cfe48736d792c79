#include "common/record_file.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/failure.hpp"
#include "common/list_input.hpp"
#include "tests/support/permissions.hpp"
#include "tests/support/temp_dir.hpp"

namespace common {
namespace {

using test_support::read_file;
using test_support::TempDir;
using test_support::write_file;

TEST(RecordFile, RecordsEndWithCarriageReturnAndLineFeed) {
    TempDir dir;
    RecordFile file;
    ASSERT_TRUE(file.open((dir / "out.txt").string(), OpenMode::any));
    ASSERT_TRUE(file.write_record("first"));
    ASSERT_TRUE(file.write_record(""));
    ASSERT_TRUE(file.close());
    EXPECT_EQ(read_file(dir / "out.txt"), "first\r\n\r\n");
}

TEST(RecordFile, InputRecordsEndAtLineFeedWithoutTheCarriageReturn) {
    TempDir dir;
    write_file(dir / "in.txt", "a\r\nb\nc\r\r\nlast");
    RecordFile file;
    ASSERT_TRUE(file.open((dir / "in.txt").string(), OpenMode::existing));
    std::string record;
    for (const char* expected : {"a", "b", "c\r", "last"}) {
        ASSERT_TRUE(file.read_record(record));
        EXPECT_EQ(record, expected);
    }
    EXPECT_TRUE(file.read_record(record).is_end());
    EXPECT_TRUE(file.read_record(record).is_end());
}

TEST(RecordFile, AByteOrderMarkAtTheStartIsNoPartOfTheFirstRecord) {
    struct Case {
        std::string text;
        std::vector<std::string> records;
    };
    const std::vector<Case> cases = {
        {"\xEF\xBB\xBF"
         "1.5 ! mode\n2\n",
         {"1.5 ! mode", "2"}},
        {"\xEF\xBB\xBF", {}},
        {"a\n\xEF\xBB\xBF"
         "b\n",
         {"a",
          "\xEF\xBB\xBF"
          "b"}},  // only at the very start
        {"\xEF\xBB"
         "c\n",
         {"\xEF\xBB"
          "c"}},
    };
    TempDir dir;
    for (const Case& c : cases) {
        write_file(dir / "in.txt", c.text);
        RecordFile file;
        ASSERT_TRUE(file.open((dir / "in.txt").string(), OpenMode::existing));
        for (int pass = 0; pass < 2; ++pass) {  // after a rewind too
            std::vector<std::string> records;
            std::string record;
            while (file.read_record(record)) records.push_back(record);
            EXPECT_EQ(records, c.records);
            EXPECT_EQ(file.record_number(), c.records.size());
            ASSERT_TRUE(file.rewind());
        }
    }
}

TEST(RecordFile, AWrittenRecordEndsTheFileThere) {
    TempDir dir;
    write_file(dir / "f.txt", "one\r\ntwo\r\nthree\r\nfour\r\n");
    RecordFile file;
    ASSERT_TRUE(file.open((dir / "f.txt").string(), OpenMode::any));
    std::string record;
    ASSERT_TRUE(file.read_record(record));
    ASSERT_TRUE(file.write_record("TWO"));
    // After a write the file ends with the record just written.
    EXPECT_TRUE(file.read_record(record).is_end());
    ASSERT_TRUE(file.rewind());
    ASSERT_TRUE(file.read_record(record));
    EXPECT_EQ(record, "one");
    ASSERT_TRUE(file.read_record(record));
    EXPECT_EQ(record, "TWO");
    EXPECT_TRUE(file.read_record(record).is_end());
    ASSERT_TRUE(file.close());
    EXPECT_EQ(read_file(dir / "f.txt"), "one\r\nTWO\r\n");
}

TEST(RecordFile, OpeningWithoutStatusKeepsTheFileUntilSomethingIsWritten) {
    TempDir dir;
    write_file(dir / "keep.txt", "old contents\n");
    {
        RecordFile file;
        ASSERT_TRUE(file.open((dir / "keep.txt").string(), OpenMode::any));
        ASSERT_TRUE(file.open((dir / "new.txt").string(), OpenMode::any));
    }
    EXPECT_EQ(read_file(dir / "keep.txt"), "old contents\n");
    EXPECT_EQ(read_file(dir / "new.txt"), "");
}

TEST(RecordFile, RewrittenFromItsStartKeepsNothingOfTheOldTail) {
    TempDir dir;
    write_file(dir / "p.txt", std::string(200000, 'x') + "\n");
    RecordFile file;
    ASSERT_TRUE(file.open((dir / "p.txt").string(), OpenMode::any));
    ASSERT_TRUE(file.write_record("short"));
    ASSERT_TRUE(file.close());
    EXPECT_EQ(read_file(dir / "p.txt"), "short\r\n");
}

TEST(RecordFile, LongFilesAcrossTheBuffer) {
    TempDir dir;
    std::string text;
    for (int i = 0; i < 50000; ++i) text += std::to_string(i) + " " + std::to_string(2 * i) + "\r\n";
    write_file(dir / "big.txt", text);
    RecordFile file;
    ASSERT_TRUE(file.open((dir / "big.txt").string(), OpenMode::existing));
    double a = 0, b = 0;
    int count = 0;
    while (read_list(file, {&a, &b})) ++count;
    EXPECT_EQ(count, 50000);
    EXPECT_EQ(b, 99998.0);
}

TEST(RecordFile, AppendingAddsAtTheEnd) {
    TempDir dir;
    write_file(dir / "a.txt", "old\r\n");
    for (int run = 0; run < 2; ++run) {
        RecordFile file;
        ASSERT_TRUE(file.open((dir / "a.txt").string(), OpenMode::append));
        ASSERT_TRUE(file.lock_exclusive());
        ASSERT_TRUE(file.write_record("run " + std::to_string(run)));
        ASSERT_TRUE(file.unlock());
    }
    EXPECT_EQ(read_file(dir / "a.txt"), "old\r\nrun 0\r\nrun 1\r\n");
}

TEST(RecordFile, OpenFailuresAreReported) {
    TempDir dir;
    RecordFile file;
    const IoResult missing = file.open((dir / "missing.txt").string(), OpenMode::existing);
    EXPECT_TRUE(missing.is_error());
    EXPECT_EQ(missing.cause, "No such file or directory");
    EXPECT_TRUE(file.open(dir.path().string(), OpenMode::existing).is_error());
    EXPECT_TRUE(file.open(dir.path().string(), OpenMode::any).is_error());
    EXPECT_TRUE(file.open((dir / "no" / "such" / "dir.txt").string(), OpenMode::append).is_error());
    EXPECT_THROW(RecordFile::open_or_fail((dir / "missing.txt").string(), OpenMode::existing), IoFailure);
}

TEST(RecordFile, WithoutWritePermissionTheCauseIsThePermission) {
    TempDir dir;
    write_file(dir / "ro.txt", "keep\n");
    std::filesystem::permissions(dir / "ro.txt", std::filesystem::perms::owner_read);
    std::filesystem::create_directories(dir / "ro");
    std::filesystem::permissions(dir / "ro",
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    const test_support::PermissionsBind bind;
    if (!bind.active()) GTEST_SKIP() << "permissions cannot be made to bind the superuser here";
    // A file that may be read but not written is opened, and its first write fails.
    RecordFile file;
    ASSERT_TRUE(file.open((dir / "ro.txt").string(), OpenMode::any));
    std::string record;
    ASSERT_TRUE(file.read_record(record));
    const IoResult write = file.write_record("x");
    EXPECT_TRUE(write.is_error());
    EXPECT_EQ(write.cause, "Permission denied");
    file.close();
    EXPECT_EQ(read_file(dir / "ro.txt"), "keep\n");
    // A file that cannot be created in a folder without write permission is not reported missing.
    const IoResult create = file.open((dir / "ro" / "new.txt").string(), OpenMode::any);
    EXPECT_EQ(create.cause, "Permission denied");
}

TEST(RecordFile, DevicesTakeTheRecordsWithoutBeingTruncated) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/null and /dev/full";
    RecordFile sink;
    ASSERT_TRUE(sink.open("/dev/null", OpenMode::any));
    EXPECT_TRUE(sink.write_record("discarded"));
    EXPECT_TRUE(sink.close());
    // A device that takes nothing fails where the records go out, for its own reason.
    RecordFile full;
    ASSERT_TRUE(full.open("/dev/full", OpenMode::any));
    ASSERT_TRUE(full.write_record("nowhere"));
    const IoResult flushed = full.flush();
    EXPECT_TRUE(flushed.is_error());
    EXPECT_EQ(flushed.cause, "No space left on device");
}

}  // namespace
}  // namespace common
