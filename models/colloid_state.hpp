#pragma once
// The model state of the colloid transport models: the combined rates that the kernels use, D and
// U, pi, and the time and position of the point being computed. The integrands read this state
// and nothing else.

namespace models::colloidm {

struct State {
    double a = 0.0;  // lamda + kc
    double b = 0.0;  // rate product in the Bessel arguments
    double d = 0.0;  // hydrodynamic dispersion coefficient D
    double h = 0.0;  // declogging rate as seen from the water phase
    double pi = 0.0;
    double time = 0.0;  // upper end of the current integrals
    double u = 0.0;     // average interstitial velocity U
    double x = 0.0;     // position of the current point
};

inline constexpr double kPi = 3.141592653589793;

}  // namespace models::colloidm
