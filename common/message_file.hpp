#pragma once
// The message file "fort.9" in the current working directory, where the colloid models and the
// quadrature drivers write their diagnostics. It is created, or rewritten from its start, by the
// first message of a run; later messages follow in order.

#include <initializer_list>
#include <string>
#include <string_view>

#include "common/format.hpp"
#include "common/record_file.hpp"

namespace common {

class MessageFile {
  public:
    explicit MessageFile(std::string path = "fort.9") : path_(std::move(path)) {}

    // One free-format record holding the text. A file that cannot be opened or written ends the
    // program with the diagnostic of an unhandled failure.
    void write(std::string_view text);
    void write_list(std::initializer_list<OutItem> items);

    bool written() const noexcept { return file_.is_open(); }
    const std::string& path() const noexcept { return path_; }
    void close() { (void)file_.close(); }

  private:
    std::string path_;
    RecordFile file_;
};

}  // namespace common
