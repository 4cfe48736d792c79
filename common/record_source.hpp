#pragma once
// A sequence of input records (lines without their line end).

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/io_result.hpp"

namespace common {

class RecordSource {
  public:
    RecordSource() = default;
    RecordSource(const RecordSource&) = default;
    RecordSource& operator=(const RecordSource&) = default;
    virtual ~RecordSource() = default;
    // Reads the next record into `record`; end at the end of the records.
    virtual IoResult read_record(std::string& record) = 0;
    // The number of the record read last, counting from 1 at the start of the records; 0 before
    // the first.
    virtual std::size_t record_number() const noexcept = 0;
    // The name under which messages show the records (a file's path); empty when they have none.
    virtual std::string_view source_name() const noexcept { return {}; }

    // Whether a warning about the word at this place (record number, column) is new: false for a
    // place at or before the furthest one warned about, which a reader meets again after a rewind.
    bool warning_is_new(std::size_t record, std::size_t column) noexcept {
        if (record < warned_record_ || (record == warned_record_ && column <= warned_column_)) return false;
        warned_record_ = record;
        warned_column_ = column;
        return true;
    }

  protected:
    // Other records (another file) are read from here on.
    void forget_warnings() noexcept { warned_record_ = warned_column_ = 0; }

  private:
    std::size_t warned_record_ = 0;
    std::size_t warned_column_ = 0;
};

// The UTF-8 byte-order mark that some editors put at the start of a text file. It is no part of
// the first record.
inline constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Records held in memory, for readers that work on text already in hand.
class StringRecords final : public RecordSource {
  public:
    explicit StringRecords(std::vector<std::string> records, std::string name = {})
        : records_(std::move(records)), name_(std::move(name)) {}
    // Splits text into records at line feeds; a carriage return before a line feed is dropped, and
    // so is a byte-order mark at the start of the text.
    static StringRecords from_text(std::string_view text, std::string name = {});

    IoResult read_record(std::string& record) override;
    std::size_t record_number() const noexcept override { return next_; }
    std::string_view source_name() const noexcept override { return name_; }
    void rewind() { next_ = 0; }

  private:
    std::vector<std::string> records_;
    std::string name_;
    std::size_t next_ = 0;
};

}  // namespace common
