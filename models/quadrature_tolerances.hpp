#pragma once

namespace models {

// The accuracy requested of every integration of a colloid run (input.txt, line 15).
struct QuadratureTolerances {
    double errabs = 0.0;
    double errrel = 0.0;
};

// The Gauss-Kronrod pair of every integration of the colloid models: 10 / 21 points.
inline constexpr int kGaussKronrod21 = 2;

}  // namespace models
