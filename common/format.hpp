#pragma once
// Formatted and free-format (list-directed) output records.
//
// A format is written in edit-descriptor notation, for example "(Es15.5,A1,Es15.5,A1,Es18.9E3)" or
// "(6X,'In above message,  I1 =',I10)": A, Aw, Iw, Fw.d, ESw.d, ESw.dEe, Dw.d, nX, repeat counts
// (5I6) and quoted literal strings, letters in either case. Output stops at the first data
// descriptor for which no item is left.

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace common {

// One output item: a character item, a 4-byte integer, a 4-byte real or an 8-byte real.
using OutItem = std::variant<std::string_view, std::int32_t, float, double>;

class Format {
  public:
    // Parses the format text; throws std::invalid_argument when it is not a valid format.
    explicit Format(std::string_view text);

    // The record the format produces for the items, without its line end.
    std::string apply(std::span<const OutItem> items) const;
    std::string apply(std::initializer_list<OutItem> items) const {
        return apply(std::span<const OutItem>(items.begin(), items.size()));
    }

  private:
    enum class Kind { literal, blanks, a, i, f, es, d };
    struct Descriptor {
        Kind kind;
        int width = 0;     // 0 for A without a width
        int decimals = 0;  // d of Fw.d, ESw.d, Dw.d
        int exponent = 0;  // e of ESw.dEe, 0 otherwise
        std::string text;  // literal text
    };
    std::vector<Descriptor> descriptors_;
};

// Applies a format given as text (parsed on each call; keep a Format for hot paths).
std::string format_record(std::string_view format, std::initializer_list<OutItem> items);

// A free-format output record: one blank, then the items, one blank between two items except
// between two consecutive character items; no line end.
std::string list_record(std::span<const OutItem> items);
inline std::string list_record(std::initializer_list<OutItem> items) {
    return list_record(std::span<const OutItem>(items.begin(), items.size()));
}

}  // namespace common
