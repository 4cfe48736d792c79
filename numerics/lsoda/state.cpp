#include "numerics/lsoda/state.hpp"

namespace numerics::lsoda {

SolverState& solver_state() {
    static SolverState the_problem;
    return the_problem;
}

}  // namespace numerics::lsoda
