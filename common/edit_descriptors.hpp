#pragma once
// Single edit descriptors of the formatted records. Each appends exactly w columns to `out`
// (A without a width appends the item at its own length). Numbers are rounded to nearest from
// their exact binary value; a number that does not fit fills the field with asterisks; a negative
// zero keeps its minus sign.

#include <cstdint>
#include <string>
#include <string_view>

namespace common {

// Aw: right-justified when shorter than w, its leftmost w characters when longer.
void put_a(std::string& out, std::string_view item, int w);
// Iw: right-justified, minus sign when negative.
void put_i(std::string& out, std::int64_t value, int w);
// Fw.d: fixed point with d decimals; the zero before the point only when there is room for it.
void put_f(std::string& out, double value, int w, int d);
// ESw.d (e == 0): scientific, exponent "E" sign and two digits, or sign and three digits without
// the letter. ESw.dEe (e > 0): the exponent always has the letter and e digits.
void put_es(std::string& out, double value, int w, int d, int e = 0);
// Dw.d: "0." followed by d significant digits, exponent "D" sign and two digits (three drop the letter).
void put_d(std::string& out, double value, int w, int d);
// nX: n blanks.
void put_x(std::string& out, int n);

// Convenience forms returning the field.
std::string edit_a(std::string_view item, int w);
std::string edit_i(std::int64_t value, int w);
std::string edit_f(double value, int w, int d);
std::string edit_es(double value, int w, int d, int e = 0);
std::string edit_d(double value, int w, int d);

// Free-format (list-directed) fields of single items, without the separating blank.
void put_list_integer(std::string& out, std::int32_t value);  // right-justified in 11 columns
void put_list_real4(std::string& out, float value);           // 16 columns, 9 significant digits
void put_list_real8(std::string& out, double value);          // 25 columns, 17 significant digits

// A real at its own width (as G0 edits it): the shortest decimal text that reads back as the same
// double, for example 0.1, 40, 1e-07 or -2.5e+300; NaN, Infinity and -Infinity when not finite.
void put_shortest(std::string& out, double value);
std::string edit_shortest(double value);

}  // namespace common
