#pragma once
// How an estimated parameter moves inside its bounds. Two layers:
// - the statistical variable s, in which standard errors and confidence intervals are formed: the
//   logarithm of the value when both bounds are positive, the value itself otherwise;
// - the solver's variable theta, which is free: s = lower + (upper - lower) (1 + sin theta) / 2 keeps s
//   within the bounds of s for every theta, and reaches a bound where its derivative vanishes.

namespace colfit {

enum class Scale {
    log,     // s = ln(value): both bounds positive
    linear,  // s = value
};

// The scale of a parameter with these bounds.
Scale scale_for_bounds(double lower, double upper);

double to_statistical(Scale scale, double value);
double from_statistical(Scale scale, double s);
// d value / d s at s.
double value_derivative(Scale scale, double s);

// The bounded map between theta and s in [lower, upper] (lower < upper).
struct BoundedMap {
    double lower;
    double upper;

    double s_of(double theta) const;
    // The theta of s in [lower, upper] on the branch [-pi/2, pi/2].
    double theta_of(double s) const;
    // d s / d theta at theta.
    double derivative(double theta) const;
};

}  // namespace colfit
