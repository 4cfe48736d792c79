#include "common/format.hpp"

#include <cctype>
#include <cmath>
#include <stdexcept>

#include "common/edit_descriptors.hpp"

namespace common {
namespace {

class FormatParser {
  public:
    explicit FormatParser(std::string_view text) : text_(text) {}

    bool at_end() {
        skip_blanks();
        return pos_ >= text_.size();
    }
    char peek() {
        skip_blanks();
        return pos_ < text_.size() ? static_cast<char>(std::toupper(static_cast<unsigned char>(text_[pos_])))
                                   : '\0';
    }
    char take() {
        const char c = peek();
        ++pos_;
        return c;
    }
    bool has_number() { return std::isdigit(static_cast<unsigned char>(peek())) != 0; }
    int number() {
        if (!has_number()) fail("a number is expected");
        int value = 0;
        while (pos_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[pos_]))) {
            value = value * 10 + (text_[pos_] - '0');
            if (value > 100000) fail("a number is too large");
            ++pos_;
        }
        return value;
    }
    std::string literal() {
        const char quote = text_[pos_++];
        std::string value;
        while (true) {
            if (pos_ >= text_.size()) fail("a literal string is not closed");
            const char c = text_[pos_++];
            if (c == quote) {
                if (pos_ < text_.size() && text_[pos_] == quote) {
                    value.push_back(quote);
                    ++pos_;
                    continue;
                }
                return value;
            }
            value.push_back(c);
        }
    }
    bool at_quote() { return peek() == '\'' || peek() == '"'; }
    [[noreturn]] void fail(const char* why) const {
        throw std::invalid_argument("format \"" + std::string(text_) + "\": " + why);
    }

  private:
    void skip_blanks() {
        while (pos_ < text_.size() && text_[pos_] == ' ') ++pos_;
    }
    std::string_view text_;
    std::size_t pos_ = 0;
};

[[noreturn]] void mismatch() {
    throw std::invalid_argument("an output item does not match its edit descriptor");
}
std::string_view as_text(const OutItem& item) {
    if (const auto* text = std::get_if<std::string_view>(&item)) return *text;
    mismatch();
}
std::int32_t as_integer(const OutItem& item) {
    if (const auto* integer = std::get_if<std::int32_t>(&item)) return *integer;
    mismatch();
}
double as_real(const OutItem& item) {
    if (const auto* real4 = std::get_if<float>(&item)) return static_cast<double>(*real4);
    if (const auto* real8 = std::get_if<double>(&item)) return *real8;
    mismatch();
}

}  // namespace

Format::Format(std::string_view text) {
    FormatParser parser(text);
    if (parser.take() != '(') parser.fail("it must begin with '('");
    bool closed = false;
    while (!parser.at_end()) {
        if (parser.peek() == ')') {
            parser.take();
            closed = true;
            break;
        }
        if (parser.peek() == ',') {
            parser.take();
            continue;
        }
        if (parser.at_quote()) {
            descriptors_.push_back({Kind::literal, 0, 0, 0, parser.literal()});
            continue;
        }
        const int repeat = parser.has_number() ? parser.number() : 1;
        const char letter = parser.take();
        Descriptor descriptor{Kind::literal, 0, 0, 0, {}};
        switch (letter) {
            case 'X':
                descriptor = {Kind::blanks, repeat, 0, 0, {}};
                descriptors_.push_back(descriptor);
                continue;
            case 'A':
                descriptor.kind = Kind::a;
                descriptor.width = parser.has_number() ? parser.number() : 0;
                break;
            case 'I':
                descriptor.kind = Kind::i;
                descriptor.width = parser.number();
                break;
            case 'F':
            case 'D':
                descriptor.kind = letter == 'F' ? Kind::f : Kind::d;
                descriptor.width = parser.number();
                if (parser.take() != '.') parser.fail("'.' is expected after the width");
                descriptor.decimals = parser.number();
                break;
            case 'E':
                if (parser.take() != 'S') parser.fail("only the ES form of E editing is supported");
                descriptor.kind = Kind::es;
                descriptor.width = parser.number();
                if (parser.take() != '.') parser.fail("'.' is expected after the width");
                descriptor.decimals = parser.number();
                if (parser.peek() == 'E') {
                    parser.take();
                    descriptor.exponent = parser.number();
                }
                break;
            default:
                parser.fail("unknown edit descriptor");
        }
        for (int k = 0; k < repeat; ++k) descriptors_.push_back(descriptor);
    }
    if (!closed || !parser.at_end()) parser.fail("it must end with ')'");
}

std::string Format::apply(std::span<const OutItem> items) const {
    std::string out;
    std::size_t next = 0;
    for (const Descriptor& descriptor : descriptors_) {
        if (descriptor.kind == Kind::literal) {
            out.append(descriptor.text);
            continue;
        }
        if (descriptor.kind == Kind::blanks) {
            put_x(out, descriptor.width);
            continue;
        }
        if (next == items.size()) break;
        const OutItem& item = items[next++];
        switch (descriptor.kind) {
            case Kind::a:
                if (descriptor.width == 0) {
                    out.append(as_text(item));
                } else {
                    put_a(out, as_text(item), descriptor.width);
                }
                break;
            case Kind::i:
                put_i(out, as_integer(item), descriptor.width);
                break;
            case Kind::f:
                put_f(out, as_real(item), descriptor.width, descriptor.decimals);
                break;
            case Kind::es:
                put_es(out, as_real(item), descriptor.width, descriptor.decimals, descriptor.exponent);
                break;
            case Kind::d:
                put_d(out, as_real(item), descriptor.width, descriptor.decimals);
                break;
            case Kind::literal:
            case Kind::blanks:
                break;
        }
    }
    return out;
}

std::string format_record(std::string_view format, std::initializer_list<OutItem> items) {
    return Format(format).apply(items);
}

std::string list_record(std::span<const OutItem> items) {
    std::string out(" ");
    bool previous_was_text = false;
    bool first = true;
    for (const OutItem& item : items) {
        const bool is_text = std::holds_alternative<std::string_view>(item);
        if (!first && !(is_text && previous_was_text)) out.push_back(' ');
        first = false;
        previous_was_text = is_text;
        if (const auto* text = std::get_if<std::string_view>(&item)) {
            out.append(*text);
        } else if (const auto* integer = std::get_if<std::int32_t>(&item)) {
            put_list_integer(out, *integer);
        } else if (const auto* real4 = std::get_if<float>(&item)) {
            put_list_real4(out, *real4);
        } else {
            put_list_real8(out, std::get<double>(item));
        }
    }
    return out;
}

}  // namespace common
