#pragma once
// The kernel K(tau) that both colloid models integrate: the response of advection and dispersion
// with the net rate h - a at the position of the current point,
//   K(tau) = exp(((h - a) - U^2/(4D)) tau - x^2/(4 D tau)) / sqrt(pi tau)
//            - (U / (2 sqrt D)) exp(U x/(2D) + (h - a) tau) erfc(sqrt(tau/D) U/2 + x/(2 sqrt(D tau))).

#include "models/colloid_state.hpp"

namespace models {

double transport_kernel(const colloidm::State& s, double tau);

}  // namespace models
