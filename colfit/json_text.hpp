#pragma once
// JSON text as records, two blanks of indentation per level: objects, arrays, numbers (shortest
// form that reads back as the same double; null when not finite), strings, booleans and null.

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace colfit {

class JsonText {
  public:
    JsonText();

    // Members of an object take a key; elements of an array take none.
    void begin_object(std::string_view key = {});
    void end_object();
    void begin_array(std::string_view key = {});
    void end_array();
    void number(std::string_view key, std::optional<double> value);
    void numbers(std::string_view key, std::span<const double> values);  // an array on one line
    void text(std::string_view key, std::string_view value);
    void boolean(std::string_view key, bool value);
    void null(std::string_view key);

    // The records, once every object and array is closed.
    const std::vector<std::string>& records() const noexcept { return records_; }

  private:
    void item(std::string_view key, std::string_view json);
    void close(char bracket);

    std::vector<std::string> records_;
    std::vector<bool> first_;  // per open level: no item yet
};

std::string json_string(std::string_view text);
std::string json_number(std::optional<double> value);

}  // namespace colfit
