#pragma once
// The integrator's diagnostics: numbered messages of one to three records, each followed by the
// value lines of the integers and reals that go with it, written to the console.

#include <initializer_list>

namespace numerics::lsoda {

enum class Message : int {
    istate_illegal = 1,
    itask_illegal = 2,
    not_initialized = 3,
    neq_below_one = 4,
    neq_increased = 5,
    itol_illegal = 6,
    iopt_illegal = 7,
    jt_illegal = 8,
    ml_illegal = 9,
    mu_illegal = 10,
    ixpr_illegal = 11,
    mxstep_negative = 12,
    mxhnil_negative = 13,
    tout_behind_t = 14,
    hmax_negative = 15,
    hmin_negative = 16,
    rwork_too_short = 17,
    iwork_too_short = 18,
    rtol_negative = 19,
    atol_negative = 20,
    ewt_not_positive = 21,
    tout_too_close = 22,
    tout_behind_last_step = 23,
    tcrit_behind_tcur = 24,
    tcrit_behind_tout = 25,
    too_much_accuracy_at_start = 26,
    interpolation_trouble = 27,
    mxordn_negative = 28,
    mxords_negative = 29,
    derivative_order_illegal = 51,
    interpolation_time_illegal = 52,
    t_plus_h_equals_t = 101,
    t_plus_h_warning_limit = 102,
    rwork_short_for_now = 103,
    iwork_short_for_now = 104,
    switched_to_bdf = 105,
    switched_to_adams = 106,
    switch_point = 107,
    mxstep_reached = 201,
    ewt_became_not_positive = 202,
    too_much_accuracy = 203,
    error_test_failed = 204,
    convergence_failed = 205,
    rwork_short_to_continue = 206,
    iwork_short_to_continue = 207,
    run_aborted = 303,
};

// Prints the message with its values (integers first, then reals, in the order the message's
// records name them) when printing is on. A message of level 2 (run_aborted) then stops the program
// (common::ProgramEnd), printed or not.
void report(Message message, std::initializer_list<int> integers = {},
            std::initializer_list<double> reals = {});

// The print flag: on (the default) or silent.
void set_message_printing(bool on);
bool message_printing();

}  // namespace numerics::lsoda
