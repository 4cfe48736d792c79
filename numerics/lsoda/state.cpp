#include "numerics/lsoda/state.hpp"

namespace numerics::lsoda {

SolverState& solver_state() {
    // One per thread, so that separate threads can each integrate a problem of their own.
    static thread_local SolverState the_problem;
    return the_problem;
}

}  // namespace numerics::lsoda
