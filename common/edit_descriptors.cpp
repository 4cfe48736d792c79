#include "common/edit_descriptors.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <system_error>

namespace common {
namespace {

void put_right(std::string& out, std::string_view text, int w) {
    if (static_cast<int>(text.size()) > w) {
        out.append(static_cast<std::size_t>(std::max(w, 0)), '*');
        return;
    }
    out.append(static_cast<std::size_t>(w) - text.size(), ' ');
    out.append(text);
}

// Infinity and NaN in a numeric field of w columns.
void put_nonfinite(std::string& out, double value, int w) {
    std::string_view text;
    if (std::isnan(value)) {
        text = "NaN";
    } else if (std::signbit(value)) {
        text = w >= 9 ? "-Infinity" : "-Inf";
    } else {
        text = w >= 8 ? "Infinity" : "Inf";
    }
    put_right(out, text, w);
}

// Significant digits of |value| rounded to `digits` places, and the decimal exponent of the first:
// |value| ~ 0.d1d2d3... x 10^(exponent + 1).
struct Decimal {
    std::string digits;
    int exponent = 0;
};

Decimal decimal_digits(double magnitude, int digits) {
    char buffer[64];
    const int precision = std::max(digits - 1, 0);
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific, precision);
    Decimal decimal;
    const char* p = buffer;
    for (; p != result.ptr && *p != 'e'; ++p) {
        if (*p != '.') decimal.digits.push_back(*p);
    }
    if (p != result.ptr) {
        ++p;
        if (*p == '+') ++p;
        std::from_chars(p, result.ptr, decimal.exponent);
    }
    return decimal;
}

int digit_count(int value) {
    int count = 1;
    for (value = std::abs(value); value >= 10; value /= 10) ++count;
    return count;
}

void append_exponent(std::string& text, char letter, int exponent, int width) {
    if (letter != '\0') text.push_back(letter);
    text.push_back(exponent < 0 ? '-' : '+');
    const std::string magnitude = std::to_string(std::abs(exponent));
    text.append(static_cast<std::size_t>(std::max(width - static_cast<int>(magnitude.size()), 0)), '0');
    text.append(magnitude);
}

}  // namespace

void put_a(std::string& out, std::string_view item, int w) {
    if (static_cast<int>(item.size()) >= w) {
        out.append(item.substr(0, static_cast<std::size_t>(w)));
    } else {
        out.append(static_cast<std::size_t>(w) - item.size(), ' ');
        out.append(item);
    }
}

void put_i(std::string& out, std::int64_t value, int w) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    put_right(out, std::string_view(buffer, static_cast<std::size_t>(result.ptr - buffer)), w);
}

void put_f(std::string& out, double value, int w, int d) {
    if (!std::isfinite(value)) {
        put_nonfinite(out, value, w);
        return;
    }
    std::string text(std::signbit(value) ? "-" : "");
    char buffer[400];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::fixed, d);
    if (result.ec != std::errc{}) {
        put_right(out, std::string(static_cast<std::size_t>(w) + 1, '*'), w);
        return;
    }
    std::string_view digits(buffer, static_cast<std::size_t>(result.ptr - buffer));
    if (d == 0) {
        text.append(digits);
        text.push_back('.');
    } else if (digits.starts_with("0.") && static_cast<int>(text.size() + digits.size()) > w) {
        text.append(digits.substr(1));  // no room for the optional zero before the point
    } else {
        text.append(digits);
    }
    put_right(out, text, w);
}

void put_es(std::string& out, double value, int w, int d, int e) {
    if (!std::isfinite(value)) {
        put_nonfinite(out, value, w);
        return;
    }
    const Decimal decimal = decimal_digits(std::fabs(value), d + 1);
    const int exponent = value == 0.0 ? 0 : decimal.exponent;
    std::string text(std::signbit(value) ? "-" : "");
    text.push_back(decimal.digits[0]);
    text.push_back('.');
    text.append(decimal.digits, 1, std::string::npos);
    const int needed = digit_count(exponent);
    if (e > 0) {
        if (needed > e) {
            put_right(out, std::string(static_cast<std::size_t>(w) + 1, '*'), w);
            return;
        }
        append_exponent(text, 'E', exponent, e);
    } else if (needed <= 2) {
        append_exponent(text, 'E', exponent, 2);
    } else if (needed == 3) {
        append_exponent(text, '\0', exponent, 3);
    } else {
        put_right(out, std::string(static_cast<std::size_t>(w) + 1, '*'), w);
        return;
    }
    put_right(out, text, w);
}

void put_d(std::string& out, double value, int w, int d) {
    if (!std::isfinite(value)) {
        put_nonfinite(out, value, w);
        return;
    }
    const Decimal decimal = decimal_digits(std::fabs(value), d);
    const int exponent = value == 0.0 ? 0 : decimal.exponent + 1;
    std::string body(".");
    body.append(decimal.digits);
    const int needed = digit_count(exponent);
    if (needed <= 2) {
        append_exponent(body, 'D', exponent, 2);
    } else if (needed == 3) {
        append_exponent(body, '\0', exponent, 3);
    } else {
        put_right(out, std::string(static_cast<std::size_t>(w) + 1, '*'), w);
        return;
    }
    std::string text(std::signbit(value) ? "-" : "");
    if (static_cast<int>(text.size() + body.size()) < w) text.push_back('0');
    text.append(body);
    put_right(out, text, w);
}

void put_x(std::string& out, int n) {
    out.append(static_cast<std::size_t>(std::max(n, 0)), ' ');
}

std::string edit_a(std::string_view item, int w) {
    std::string out;
    put_a(out, item, w);
    return out;
}
std::string edit_i(std::int64_t value, int w) {
    std::string out;
    put_i(out, value, w);
    return out;
}
std::string edit_f(double value, int w, int d) {
    std::string out;
    put_f(out, value, w, d);
    return out;
}
std::string edit_es(double value, int w, int d, int e) {
    std::string out;
    put_es(out, value, w, d, e);
    return out;
}
std::string edit_d(double value, int w, int d) {
    std::string out;
    put_d(out, value, w, d);
    return out;
}

namespace {

// A free-format real: d significant digits in w columns whose last e + 2 hold the exponent or blanks.
void put_list_real(std::string& out, double value, int w, int d, int e) {
    if (!std::isfinite(value)) {
        put_nonfinite(out, value, w);
        return;
    }
    std::string text(std::signbit(value) ? "-" : "");
    if (value == 0.0) {
        text.append("0.");
        text.append(static_cast<std::size_t>(d - 1), '0');
        put_right(out, text, w - e - 2);
        out.append(static_cast<std::size_t>(e + 2), ' ');
        return;
    }
    const Decimal decimal = decimal_digits(std::fabs(value), d);
    const int exponent = decimal.exponent;
    if (exponent >= -1 && exponent < d) {
        if (exponent == -1) {
            text.append("0.");
            text.append(decimal.digits);
        } else {
            const auto before = static_cast<std::size_t>(exponent + 1);
            text.append(decimal.digits, 0, before);
            text.push_back('.');
            text.append(decimal.digits, before, std::string::npos);
        }
        put_right(out, text, w - e - 2);
        out.append(static_cast<std::size_t>(e + 2), ' ');
        return;
    }
    text.push_back(decimal.digits[0]);
    text.push_back('.');
    text.append(decimal.digits, 1, std::string::npos);
    append_exponent(text, 'E', exponent, e);
    put_right(out, text, std::max(w, static_cast<int>(text.size())));
}

}  // namespace

void put_list_integer(std::string& out, std::int32_t value) {
    char buffer[16];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    const std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));
    put_right(out, text, std::max(11, static_cast<int>(text.size())));
}

void put_list_real4(std::string& out, float value) {
    put_list_real(out, value, 16, 9, 2);
}

void put_list_real8(std::string& out, double value) {
    put_list_real(out, value, 25, 17, 3);
}

void put_shortest(std::string& out, double value) {
    if (!std::isfinite(value)) {
        std::string field;
        put_nonfinite(field, value, 9);
        out.append(field, field.find_first_not_of(' '));
        return;
    }
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, static_cast<std::size_t>(result.ptr - buffer));
}

std::string edit_shortest(double value) {
    std::string out;
    put_shortest(out, value);
    return out;
}

}  // namespace common
