#pragma once
// Free-format (list-directed) input.
//
// A read statement takes its items in order from as many records as they need: values are
// separated by blanks, tabs or one comma, two commas in a row leave an item unchanged (a null
// value), r*value repeats a value r times and r* gives r null values, and a slash ends the
// statement leaving the remaining items unchanged. Whatever the statement does not use of its
// last record is skipped. A statement with no items skips exactly one record.
//
// A real item accepts any decimal form (300, 0.3, 2.3E-4, 1.5D0, 1.5-3), and Inf, Infinity, NaN.
// An integer item accepts only digits with an optional sign. A character item takes the next word,
// up to a blank, tab, comma or slash, or a quoted string without its quotes, cut or blank-padded to
// the item's length.

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <variant>

#include "common/io_result.hpp"
#include "common/record_source.hpp"

namespace common {

// A character item of a fixed length.
struct TextItem {
    std::string* value;
    std::size_t length;
};

using InItem = std::variant<float*, double*, std::int32_t*, TextItem>;

// Reads one statement. On error or end, `items` of the result tells how many items were read
// (and assigned) before the condition arose.
IoResult read_list(RecordSource& source, std::span<const InItem> items);
inline IoResult read_list(RecordSource& source, std::initializer_list<InItem> items) {
    return read_list(source, std::span<const InItem>(items.begin(), items.size()));
}

// Skips one record (a read statement without items).
IoResult skip_record(RecordSource& source);

// A fixed-format read "(Aw)": the first w characters of the next record, blank-padded.
IoResult read_fixed_text(RecordSource& source, std::string& value, std::size_t width);

// Value conversions of single words, as the reads above apply them. They return false when the
// word is not a value of that type.
bool parse_real(std::string_view word, double& value);
bool parse_real(std::string_view word, float& value);
bool parse_integer(std::string_view word, std::int32_t& value);

// A word or line of the input as a message shows it: quoted, its first 40 characters only (then
// "... (n characters)"), and every byte that is not a printable character as \xNN, so that a
// garbled file cannot flood or garble the error stream.
std::string quoted_word(std::string_view word);

}  // namespace common
