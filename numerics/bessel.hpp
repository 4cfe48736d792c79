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

// I1(x) / x by the approximation of bessi1, for x >= 0, with the exponential of the large-argument
// form apart; 1/2 at x = 0, without a division by x below 3.75.
ExpScaled bessi1_over_x_scaled(double x);

// The arguments at which the approximations of I0 and I1, and of J0, change branch: the large-argument form
// is taken from there on. Each approximation has a small jump there (about 1.9e-7 for I0, 2.1e-9 for J0),
// given as the value at the branch point minus the limit from below.
inline constexpr double kBesselIBranch = 3.75;
inline constexpr double kBesselJ0Branch = 8.0;
double bessi0_branch_jump();
double bessj0_branch_jump();
// The limit of bessj0(x) as x falls to 0: P(0) / Q(0) = 1 + 2.83e-9 (bessj0(0) itself is 1).
double bessj0_limit_at_zero();

// The exact derivatives of the approximations bessi0 and bessj0 on either side of their branch
// point, divided by x/2: 2 I0'(x) / x and 2 J0'(x) / x for x >= 0 (the rate at which the Bessel
// factors of the broad-pulse model change, see models/broad_pulse.hpp). Both are smooth at x = 0
// (values 1 and -1). The I0 form keeps the exponential of its large-argument branch apart.
ExpScaled bessi0_slope_scaled(double x);
double bessj0_slope(double x);

}  // namespace numerics
