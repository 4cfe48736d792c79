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

// A value written as factor * exp(exponent), for values whose exponential part is to be combined
// with other exponents before it is formed.
struct ExpScaled {
    double factor;
    double exponent;
};

// I0 and I1 by the same approximations as bessi0 and bessi1, with the exponential of the
// large-argument form left apart: below |x| = 3.75 the value itself and exponent 0, from 3.75 on
// the polynomial factor over sqrt(|x|) and exponent |x|. Neither part overflows.
ExpScaled bessi0_scaled(double x);
ExpScaled bessi1_scaled(double x);

}  // namespace numerics
