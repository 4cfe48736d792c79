#pragma once
// The test for a switch between the Adams and the BDF methods after a successful step.

#include <optional>

#include "numerics/lsoda/state.hpp"

namespace numerics::lsoda {

struct MethodSwitch {
    Method meth;  // the method to switch to
    int nq;       // its order
    double rh;    // the step-size ratio to apply
};

// Compares the step size that the current method could use next with the one the other method
// could use, from the error estimate dsm of the step just taken (the test quantity, 1 at the
// tolerance), the Lipschitz estimates in s and the Nordsieck array yh after the step. pnorm is the
// weighted norm of the predicted y. Returns the switch to make, if any.
std::optional<MethodSwitch> test_method_switch(const SolverState& s, double dsm, double pnorm,
                                               const double* yh, const double* ewt);

}  // namespace numerics::lsoda
