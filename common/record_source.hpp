#pragma once
// A sequence of input records (lines without their line end).

#include <string>
#include <utility>
#include <vector>

#include "common/io_result.hpp"

namespace common {

class RecordSource {
  public:
    virtual ~RecordSource() = default;
    // Reads the next record into `record`; end at the end of the records.
    virtual IoResult read_record(std::string& record) = 0;
};

// Records held in memory, for readers that work on text already in hand.
class StringRecords final : public RecordSource {
  public:
    explicit StringRecords(std::vector<std::string> records) : records_(std::move(records)) {}
    // Splits text into records at line feeds; a carriage return before a line feed is dropped.
    static StringRecords from_text(std::string_view text);

    IoResult read_record(std::string& record) override;
    void rewind() { next_ = 0; }

  private:
    std::vector<std::string> records_;
    std::size_t next_ = 0;
};

}  // namespace common
