#pragma once
// Sequential text files of records. Every record written ends with CR LF; on input a record ends
// at a line feed and a carriage return just before it is dropped.
//
// A file is read and written record by record from its current position. Writing a record after
// opening, rewinding or reading makes the file end after that record: whatever the file held
// beyond it is gone. Consecutive writes extend the file. A device or a pipe (such as /dev/null)
// takes the records as they come. A UTF-8 byte-order mark at the very start of a file is no part of
// its first record.

#include <cstddef>
#include <string>
#include <string_view>
#include "common/source_location.hpp"

#include "common/record_source.hpp"

namespace common {

enum class OpenMode {
    existing,  // the file must exist; opened for reading
    any,       // no status: opened if it exists, created empty if not, positioned at its start
    append,    // opened or created, every record written goes to its end
};

class RecordFile final : public RecordSource {
  public:
    RecordFile() = default;
    RecordFile(RecordFile&& other) noexcept;
    RecordFile& operator=(RecordFile&& other) noexcept;
    RecordFile(const RecordFile&) = delete;
    RecordFile& operator=(const RecordFile&) = delete;
    ~RecordFile() override;

    // Opens `path`; the result is not ok when the file cannot be opened as asked.
    IoResult open(std::string path, OpenMode mode);
    // Opens `path` or ends the program with the diagnostic of an unhandled failure.
    static RecordFile open_or_fail(std::string path, OpenMode mode,
                                   SourceLocation where = SourceLocation::current());

    bool is_open() const noexcept { return fd_ >= 0; }
    const std::string& path() const noexcept { return path_; }

    IoResult read_record(std::string& record) override;
    // Records read since the file was opened or rewound.
    std::size_t record_number() const noexcept override { return records_read_; }
    std::string_view source_name() const noexcept override { return path_; }
    IoResult write_record(std::string_view text);
    // For a file opened to append: when the file ends within a record (a writer was killed, or its
    // disk filled up, part way through it), ends that record, so that the next record written
    // starts on a line of its own. A last record cut after its carriage return gets only the line
    // feed that it lacks.
    IoResult end_incomplete_record();
    IoResult rewind();
    // Writes buffered records to the file.
    IoResult flush();
    // Flushes and asks the system to put the file's contents on disk.
    IoResult sync();
    // Flushes and closes; closing a closed file does nothing.
    IoResult close();

    // Exclusive advisory lock on the whole file, held until unlock() or close().
    IoResult lock_exclusive();
    IoResult unlock();

  private:
    IoResult fill();
    void skip_byte_order_mark();
    IoResult start_writing();
    void release() noexcept;
    // Forgets what was read: the next read starts at the file's current offset, as record 1.
    void reset_input() noexcept;

    int fd_ = -1;
    OpenMode mode_ = OpenMode::existing;
    std::string path_;
    std::string in_;          // read buffer
    std::size_t in_pos_ = 0;  // next unread byte of in_
    long long in_base_ = 0;   // file offset of in_[0]
    bool at_eof_ = false;     // the read buffer holds the end of the file
    std::size_t records_read_ = 0;
    std::string out_;       // write buffer
    bool writing_ = false;  // the last statement was a write
    bool regular_ = true;   // a regular file (not a device or a pipe, which are never truncated)
    int write_denied_ = 0;  // why writing was refused when the file was opened for reading only
};

// The system's text for errno.
std::string system_error_text(int error);

}  // namespace common
