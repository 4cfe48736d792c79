#include "common/list_input.hpp"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <optional>
#include <variant>

#include "common/console.hpp"

namespace common {
namespace {

bool is_blank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

bool equals_ignoring_case(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

bool all_digits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(),
                                        [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
}

// Rewrites a decimal word in the plain form "[-]digits[.digits]e[sign]digits"; nullopt when the
// word is not a decimal number. Infinity and NaN are returned as "inf", "-inf", "nan".
std::optional<std::string> normalized_real(std::string_view word) {
    std::string out;
    std::size_t p = 0;
    if (p < word.size() && (word[p] == '+' || word[p] == '-')) {
        if (word[p] == '-') out.push_back('-');
        ++p;
    }
    const std::string_view rest = word.substr(p);
    if (equals_ignoring_case(rest, "inf") || equals_ignoring_case(rest, "infinity")) return out + "inf";
    if (equals_ignoring_case(rest, "nan") ||
        (rest.size() > 4 && equals_ignoring_case(rest.substr(0, 4), "nan(") && rest.back() == ')')) {
        return std::string("nan");
    }
    bool digits = false;
    while (p < word.size() && std::isdigit(static_cast<unsigned char>(word[p]))) {
        out.push_back(word[p++]);
        digits = true;
    }
    if (p < word.size() && word[p] == '.') {
        out.push_back('.');
        ++p;
        while (p < word.size() && std::isdigit(static_cast<unsigned char>(word[p]))) {
            out.push_back(word[p++]);
            digits = true;
        }
    }
    if (!digits) return std::nullopt;
    if (p == word.size()) return out;
    const char marker = static_cast<char>(std::tolower(static_cast<unsigned char>(word[p])));
    if (marker == 'e' || marker == 'd' || marker == 'q') {
        ++p;
    } else if (marker != '+' && marker != '-') {
        return std::nullopt;
    }
    out.push_back('e');
    if (p < word.size() && (word[p] == '+' || word[p] == '-')) out.push_back(word[p++]);
    if (!all_digits(word.substr(p))) return std::nullopt;
    out.append(word.substr(p));
    return out;
}

template <typename Real>
bool parse_real_as(std::string_view word, Real& value) {
    const auto text = normalized_real(word);
    if (!text) return false;
    if (*text == "inf" || *text == "-inf") {
        value = (*text)[0] == '-' ? -std::numeric_limits<Real>::infinity()
                                  : std::numeric_limits<Real>::infinity();
        return true;
    }
    if (*text == "nan") {
        value = std::numeric_limits<Real>::quiet_NaN();
        return true;
    }
    const char* first = text->data();
    const char* last = first + text->size();
    Real parsed{};
    const auto result = std::from_chars(first, last, parsed);
    if (result.ec == std::errc{} && result.ptr == last) {
        value = parsed;
        return true;
    }
    if (result.ec == std::errc::result_out_of_range) {
        // Beyond the type's range: overflow gives an infinity, underflow a zero, as strtod rounds.
        if constexpr (std::is_same_v<Real, float>) {
            value = std::strtof(text->c_str(), nullptr);
        } else {
            value = std::strtod(text->c_str(), nullptr);
        }
        return true;
    }
    return false;
}

// One word of a statement: a value, a null value, or the slash that ends the statement.
struct Token {
    enum class Kind { value, null, slash } kind = Kind::value;
    std::string text;
    bool quoted = false;
    // A whole number that the record continues with a comma and a digit, as a decimal comma writes
    // a number ("0,05", "1,5E-3"): the record's text from the word to the end of what follows the
    // comma, and the column where it starts. Empty for every other word.
    std::string decimal_comma;
    std::size_t column = 0;
};

bool is_separator(char c) {
    return is_blank(c) || c == ',' || c == '/';
}

class StatementReader {
  public:
    explicit StatementReader(RecordSource& source) : source_(source) {}

    IoResult start() { return source_.read_record(record_); }
    // The record being read.
    const std::string& record() const noexcept { return record_; }

    // The next token of the statement, reading further records as needed.
    IoResult next(Token& token) {
        if (repeat_left_ > 0) {
            --repeat_left_;
            token = repeated_;
            return {};
        }
        while (true) {
            while (pos_ < record_.size() && is_blank(record_[pos_])) ++pos_;
            if (pos_ == record_.size()) {
                IoResult result = source_.read_record(record_);
                if (!result) return result;
                pos_ = 0;
                continue;
            }
            const char c = record_[pos_];
            if (c == ',') {
                ++pos_;
                if (separator_pending_) {
                    separator_pending_ = false;
                    continue;
                }
                token = Token{Token::Kind::null, {}, false, {}, 0};
                return {};
            }
            if (c == '/') {
                token = Token{Token::Kind::slash, {}, false, {}, 0};
                return {};
            }
            separator_pending_ = true;
            token = read_word();
            return {};
        }
    }

  private:
    Token read_word() {
        Token token;
        if (record_[pos_] == '\'' || record_[pos_] == '"') {
            read_quoted(token);
            return token;
        }
        const std::size_t start = pos_;
        while (pos_ < record_.size() && !is_separator(record_[pos_])) ++pos_;
        token.text = record_.substr(start, pos_ - start);
        note_decimal_comma(token, start);
        const std::size_t star = token.text.find('*');
        if (star != std::string::npos && all_digits(std::string_view(token.text).substr(0, star))) {
            int count = 0;
            const auto result = std::from_chars(token.text.data(), token.text.data() + star, count);
            if (result.ec == std::errc{} && count > 0) {
                Token value;
                value.text = token.text.substr(star + 1);
                if (value.text.empty()) {
                    value.kind = Token::Kind::null;
                } else if (value.text[0] == '\'' || value.text[0] == '"') {
                    pos_ = pos_ - token.text.size() + star + 1;
                    read_quoted(value);
                }
                repeated_ = value;
                repeat_left_ = count - 1;
                return value;
            }
        }
        return token;
    }

    void read_quoted(Token& token) {
        const char quote = record_[pos_++];
        token.quoted = true;
        token.text.clear();
        while (pos_ < record_.size()) {
            const char c = record_[pos_++];
            if (c == quote) {
                if (pos_ < record_.size() && record_[pos_] == quote) {
                    token.text.push_back(quote);
                    ++pos_;
                    continue;
                }
                return;
            }
            token.text.push_back(c);
        }
    }

    // Whether the word record_[start, pos_) reads like the whole part of a number written with a
    // decimal comma: digits with an optional sign, directly followed by a comma and a digit.
    void note_decimal_comma(Token& token, std::size_t start) const {
        const std::size_t comma = pos_;
        if (comma + 1 >= record_.size() || record_[comma] != ',' ||
            !std::isdigit(static_cast<unsigned char>(record_[comma + 1]))) {
            return;
        }
        std::string_view whole = token.text;
        if (!whole.empty() && (whole[0] == '+' || whole[0] == '-')) whole.remove_prefix(1);
        if (!all_digits(whole)) return;
        std::size_t end = comma + 1;
        while (end < record_.size() && !is_separator(record_[end])) ++end;
        token.decimal_comma = record_.substr(start, end - start);
        token.column = start;
    }

    RecordSource& source_;
    std::string record_;
    std::size_t pos_ = 0;
    bool separator_pending_ = false;
    int repeat_left_ = 0;
    Token repeated_;
};

}  // namespace

std::string quoted_word(std::string_view word) {
    constexpr std::size_t kShown = 40;
    constexpr std::string_view kHex = "0123456789ABCDEF";
    std::string text(1, '\'');
    for (const char c : word.substr(0, kShown)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F) {
            text.push_back(c);
        } else {
            text.append("\\x");
            text.push_back(kHex[byte >> 4]);
            text.push_back(kHex[byte & 0x0F]);
        }
    }
    text.push_back('\'');
    if (word.size() > kShown) text.append("... (" + std::to_string(word.size()) + " characters)");
    return text;
}

namespace {

// The warning on a number written with a decimal comma, which reads as two values: the file, the
// line, the word as written and the value taken.
constexpr std::array<std::string_view, 6> kDecimalCommaWarning = {
    "Warning: line ",
    " of '",
    "' holds ",
    ": a comma separates two values, so the value read is ",
    " (a decimal number is written with a point: ",
    ")"};

void warn_of_decimal_comma(const RecordSource& source, const Token& token) {
    std::string suggested = token.decimal_comma;
    suggested[suggested.find(',')] = '.';
    const auto& text = kDecimalCommaWarning;
    error_record(std::string(text[0]) + std::to_string(source.record_number()) + std::string(text[1]) +
                 std::string(source.source_name()) + std::string(text[2]) + quoted_word(token.decimal_comma) +
                 std::string(text[3]) + token.text + std::string(text[4]) + quoted_word(suggested) +
                 std::string(text[5]));
}

// Assigns a value token to its item; false when the word is not of the item's type.
bool assign(const InItem& item, const Token& token, std::string& cause) {
    if (const auto* text = std::get_if<TextItem>(&item)) {
        std::string value = token.text.substr(0, std::min(token.text.size(), text->length));
        value.resize(text->length, ' ');
        *text->value = std::move(value);
        return true;
    }
    if (!token.quoted) {
        if (auto* const* real4 = std::get_if<float*>(&item)) {
            if (parse_real(token.text, **real4)) return true;
            cause = "bad real number " + quoted_word(token.text);
            return false;
        }
        if (auto* const* real8 = std::get_if<double*>(&item)) {
            if (parse_real(token.text, **real8)) return true;
            cause = "bad real number " + quoted_word(token.text);
            return false;
        }
        if (auto* const* integer = std::get_if<std::int32_t*>(&item)) {
            if (parse_integer(token.text, **integer)) return true;
            cause = "bad integer " + quoted_word(token.text);
            return false;
        }
    }
    cause = "a character string where a number is expected: " + quoted_word(token.text);
    return false;
}

}  // namespace

bool parse_real(std::string_view word, double& value) {
    return parse_real_as(word, value);
}
bool parse_real(std::string_view word, float& value) {
    return parse_real_as(word, value);
}

bool parse_integer(std::string_view word, std::int32_t& value) {
    std::size_t p = 0;
    bool negative = false;
    if (p < word.size() && (word[p] == '+' || word[p] == '-')) negative = word[p++] == '-';
    const std::string_view digits = word.substr(p);
    if (!all_digits(digits)) return false;
    std::int64_t magnitude = 0;
    for (const char c : digits) {
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1) return false;
    }
    const std::int64_t signed_value = negative ? -magnitude : magnitude;
    if (signed_value > std::numeric_limits<std::int32_t>::max()) return false;
    value = static_cast<std::int32_t>(signed_value);
    return true;
}

IoResult read_list(RecordSource& source, std::span<const InItem> items) {
    StatementReader reader(source);
    if (IoResult result = reader.start(); !result) return result;
    std::size_t done = 0;
    for (const InItem& item : items) {
        Token token;
        IoResult result = reader.next(token);
        if (!result) {
            result.items = done;
            return result;
        }
        if (token.kind == Token::Kind::slash) break;
        if (token.kind == Token::Kind::value) {
            std::string cause;
            if (!assign(item, token, cause)) {
                IoResult failed = IoResult::failed(std::move(cause), done);
                failed.line = source.record_number();
                failed.line_text = reader.record();
                return failed;
            }
            if (!token.decimal_comma.empty() && !std::holds_alternative<TextItem>(item) &&
                !source.source_name().empty() &&
                source.warning_is_new(source.record_number(), token.column)) {
                warn_of_decimal_comma(source, token);
            }
        }
        ++done;
    }
    IoResult result;
    result.items = done;
    return result;
}

IoResult skip_record(RecordSource& source) {
    std::string record;
    return source.read_record(record);
}

IoResult read_fixed_text(RecordSource& source, std::string& value, std::size_t width) {
    std::string record;
    IoResult result = source.read_record(record);
    if (!result) return result;
    record.resize(width, ' ');
    value = std::move(record);
    return result;
}

StringRecords StringRecords::from_text(std::string_view text, std::string name) {
    if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
    std::vector<std::string> records;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (end != std::string_view::npos && line.ends_with('\r')) line.remove_suffix(1);
        records.emplace_back(line);
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return StringRecords(std::move(records), std::move(name));
}

IoResult StringRecords::read_record(std::string& record) {
    if (next_ == records_.size()) return IoResult::end_of_file();
    record = records_[next_++];
    return {};
}

}  // namespace common
