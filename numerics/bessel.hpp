#pragma once
// Bessel functions of the first kind J0, J1, Jn and modified Bessel functions I0, I1, In of a
// double argument, by rational, polynomial and asymptotic approximations and recurrences. No state,
// no allocation, no error reports: large arguments overflow I to infinity, NaN propagates.

#include <cstdint>

namespace numerics {

double bessj0(double x);
double bessj1(double x);
double bessi0(double x);
double bessi1(double x);
double bessj(std::int32_t n, double x);  // n >= 0
double bessi(std::int32_t n, double x);  // n >= 0

// The names the transport models call.
double dbsj0(double x);  // J0
double dbsi0(double x);  // I0
double dbsi1(double x);  // I1

}  // namespace numerics
