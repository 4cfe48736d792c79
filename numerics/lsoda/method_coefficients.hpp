#pragma once
// Coefficients of the Adams and BDF methods in Nordsieck form, and the Adams stability bounds.

#include <array>

#include "numerics/lsoda/state.hpp"

namespace numerics::lsoda {

// Bound on |h| times the Lipschitz estimate within which the Adams method of order q (index q - 1)
// is stable.
inline constexpr std::array<double, max_adams_order> adams_stability_bound = {
    0.5, 0.575, 0.55, 0.45, 0.35, 0.25, 0.2, 0.15, 0.1, 0.075, 0.05, 0.025};

// Fills, for every order q of the method (index q - 1): elco[q-1][0..q], the coefficients l_j of the
// corrector in Nordsieck form, and tesco[q-1][0..2], the constants that turn the error estimates of
// orders q - 1, q and q + 1 into test quantities. Rows of orders the method lacks are left alone.
void method_coefficients(Method meth,
                         std::array<std::array<double, max_history_columns>, max_adams_order>& elco,
                         std::array<std::array<double, 3>, max_adams_order>& tesco);

}  // namespace numerics::lsoda
