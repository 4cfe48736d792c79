#pragma once
// Starts for a multi-start fit, and how far the starts that reach the best objective spread. The
// first start is the initial values of ParsToFit.txt; the others form a Latin hypercube in the
// statistical variables (the logarithm for a parameter with positive bounds), within the bounds:
// each parameter's range is cut into as many equal strata as there are further starts, and each
// stratum holds one start, the strata paired at random (a fixed seed, so that runs repeat).

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "colfit/parameter_space.hpp"

namespace colfit {

inline constexpr std::uint64_t kLatinHypercubeSeed = 1;

std::vector<std::vector<double>> multistart_points(const ParameterSpace& space, std::size_t starts,
                                                   std::uint64_t seed = kLatinHypercubeSeed);

struct StartOutcome {
    std::vector<double> s;  // where the start ended
    double phi = 0.0;
    bool converged = false;
    bool evaluated = false;  // the model could be evaluated at the start
};

struct Spread {
    double lowest = 0.0;  // in the parameter's own units
    double highest = 0.0;
    double in_standard_errors = 0.0;  // (highest - lowest) in s over the standard error of s; 0 without one
    double relative = 0.0;            // (highest - lowest) in s over the scale of s (ParameterSpace::typical)
};

// Starts that fit equally well disagree on a parameter when their spread exceeds a standard error
// or a hundredth of its scale (on the log scale: values more than 1 % apart).
bool starts_disagree(const Spread& spread);

struct MultistartSummary {
    std::size_t starts = 0;
    std::size_t reached_best = 0;  // starts whose phi lies within the tolerance of the best
    double tolerance = 0.0;        // on phi
    std::vector<Spread> spread;    // per estimated parameter, over the starts that reached the best
};

// Starts reach the best when their phi exceeds the least by no more than 1 % of the residual
// variance (a hundredth of a standard error's worth of phi). `standard_errors` of s may be empty.
MultistartSummary summarize_starts(const ParameterSpace& space, std::span<const StartOutcome> outcomes,
                                   double residual_variance, std::span<const double> standard_errors);

}  // namespace colfit
