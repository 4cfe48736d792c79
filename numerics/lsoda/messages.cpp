#include "numerics/lsoda/messages.hpp"

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "common/console.hpp"
#include "common/format.hpp"

namespace numerics::lsoda {
namespace {

// One record of a message text, and how many integer and real values are printed after it.
struct MessageRecord {
    std::string_view text;
    int integers = 0;
    int reals = 0;
};

struct MessageEntry {
    Message code;
    int width;  // records are blank-padded to this many columns
    int level;  // 2: the program stops after the message
    std::array<MessageRecord, 3> records;
};

// Each message: its number, the width its records are padded to, its level, and its records, each
// with the counts of integer and real values whose lines follow it.
// clang-format off
constexpr MessageEntry message_table[] = {
    {Message::istate_illegal, 60, 1,
     {{{"DLSODA-  ISTATE (=I1) illegal.", 1, 0}}}},
    {Message::itask_illegal, 60, 1,
     {{{"DLSODA-  ITASK (=I1) illegal.", 1, 0}}}},
    {Message::not_initialized, 60, 1,
     {{{"DLSODA-  ISTATE .gt. 1 but DLSODA not initialized.", 0, 0}}}},
    {Message::neq_below_one, 60, 1,
     {{{"DLSODA-  NEQ (=I1) .lt. 1", 1, 0}}}},
    {Message::neq_increased, 60, 1,
     {{{"DLSODA-  ISTATE = 3 and NEQ increased (I1 to I2).", 2, 0}}}},
    {Message::itol_illegal, 60, 1,
     {{{"DLSODA-  ITOL (=I1) illegal.", 1, 0}}}},
    {Message::iopt_illegal, 60, 1,
     {{{"DLSODA-  IOPT (=I1) illegal.", 1, 0}}}},
    {Message::jt_illegal, 60, 1,
     {{{"DLSODA-  JT (=I1) illegal.", 1, 0}}}},
    {Message::ml_illegal, 60, 1,
     {{{"DLSODA-  ML (=I1) illegal: .lt.0 or .ge.NEQ (=I2)", 2, 0}}}},
    {Message::mu_illegal, 60, 1,
     {{{"DLSODA-  MU (=I1) illegal: .lt.0 or .ge.NEQ (=I2)", 2, 0}}}},
    {Message::ixpr_illegal, 60, 1,
     {{{"DLSODA-  IXPR (=I1) illegal.", 1, 0}}}},
    {Message::mxstep_negative, 60, 1,
     {{{"DLSODA-  MXSTEP (=I1) .lt. 0", 1, 0}}}},
    {Message::mxhnil_negative, 60, 1,
     {{{"DLSODA-  MXHNIL (=I1) .lt. 0", 1, 0}}}},
    {Message::tout_behind_t, 60, 1,
     {{{"DLSODA-  TOUT (=R1) behind T (=R2)", 0, 2},
       {"      Integration direction is given by H0 (=R1)", 0, 1}}}},
    {Message::hmax_negative, 60, 1,
     {{{"DLSODA-  HMAX (=R1) .lt. 0.0", 0, 1}}}},
    {Message::hmin_negative, 60, 1,
     {{{"DLSODA-  HMIN (=R1) .lt. 0.0", 0, 1}}}},
    {Message::rwork_too_short, 60, 1,
     {{{"DLSODA-  RWORK length needed, LENRW (=I1), exceeds LRW (=I2)", 2, 0}}}},
    {Message::iwork_too_short, 60, 1,
     {{{"DLSODA-  IWORK length needed, LENIW (=I1), exceeds LIW (=I2)", 2, 0}}}},
    {Message::rtol_negative, 60, 1,
     {{{"DLSODA-  RTOL(I1) is R1 .lt. 0.0", 1, 1}}}},
    {Message::atol_negative, 60, 1,
     {{{"DLSODA-  ATOL(I1) is R1 .lt. 0.0", 1, 1}}}},
    {Message::ewt_not_positive, 60, 1,
     {{{"DLSODA-  EWT(I1) is R1 .le. 0.0", 1, 1}}}},
    {Message::tout_too_close, 60, 1,
     {{{"DLSODA-  TOUT(=R1) too close to T(=R2) to start integration.", 0, 2}}}},
    {Message::tout_behind_last_step, 60, 1,
     {{{"DLSODA-  ITASK = I1 and TOUT (=R1) behind TCUR - HU (= R2)", 1, 2}}}},
    {Message::tcrit_behind_tcur, 60, 1,
     {{{"DLSODA-  ITASK = 4 or 5 and TCRIT (=R1) behind TCUR (=R2)", 0, 2}}}},
    {Message::tcrit_behind_tout, 60, 1,
     {{{"DLSODA-  ITASK = 4 or 5 and TCRIT (=R1) behind TOUT (=R2)", 0, 2}}}},
    {Message::too_much_accuracy_at_start, 60, 1,
     {{{"DLSODA-  At start of problem, too much accuracy", 0, 0},
       {"      requested for precision of machine..  See TOLSF (=R1)", 0, 1}}}},
    {Message::interpolation_trouble, 60, 1,
     {{{"DLSODA-  Trouble in DINTDY.  ITASK = I1, TOUT = R1", 1, 1}}}},
    {Message::mxordn_negative, 60, 1,
     {{{"DLSODA-  MXORDN (=I1) .lt. 0", 1, 0}}}},
    {Message::mxords_negative, 60, 1,
     {{{"DLSODA-  MXORDS (=I1) .lt. 0", 1, 0}}}},
    {Message::derivative_order_illegal, 80, 1,
     {{{"DINTDY-  K (=I1) illegal", 1, 0}}}},
    {Message::interpolation_time_illegal, 80, 1,
     {{{"DINTDY-  T (=R1) illegal", 0, 1},
       {"      T not in interval TCUR - HU (= R1) to TCUR (=R2)", 0, 2}}}},
    {Message::t_plus_h_equals_t, 60, 1,
     {{{"DLSODA-  Warning..Internal T (=R1) and H (=R2) are", 0, 0},
       {"      such that in the machine, T + H = T on the next step", 0, 0},
       {"     (H = step size). Solver will continue anyway.", 0, 2}}}},
    {Message::t_plus_h_warning_limit, 60, 1,
     {{{"DLSODA-  Above warning has been issued I1 times.", 0, 0},
       {"     It will not be issued again for this problem.", 1, 0}}}},
    {Message::rwork_short_for_now, 60, 1,
     {{{"DLSODA-  Warning.. RWORK length is sufficient for now, but", 0, 0},
       {"      may not be later.  Integration will proceed anyway.", 0, 0},
       {"      Length needed is LENRW = I1, while LRW = I2.", 2, 0}}}},
    {Message::iwork_short_for_now, 60, 1,
     {{{"DLSODA-  Warning.. IWORK length is sufficient for now, but", 0, 0},
       {"      may not be later.  Integration will proceed anyway.", 0, 0},
       {"      Length needed is LENIW = I1, while LIW = I2.", 2, 0}}}},
    {Message::switched_to_bdf, 60, 1,
     {{{"DLSODA- A switch to the BDF (stiff) method has occurred", 0, 0}}}},
    {Message::switched_to_adams, 60, 1,
     {{{"DLSODA- A switch to the Adams (nonstiff) method has occurred", 0, 0}}}},
    {Message::switch_point, 60, 1,
     {{{"     at T = R1,  tentative step size H = R2,  step NST = I1", 1, 2}}}},
    {Message::mxstep_reached, 60, 1,
     {{{"DLSODA-  At current T (=R1), MXSTEP (=I1) steps", 0, 0},
       {"      taken on this call before reaching TOUT", 1, 1}}}},
    {Message::ewt_became_not_positive, 60, 1,
     {{{"DLSODA-  At T (=R1), EWT(I1) has become R2 .le. 0.", 1, 2}}}},
    {Message::too_much_accuracy, 60, 1,
     {{{"DLSODA-  At T (=R1), too much accuracy requested", 0, 0},
       {"      for precision of machine..  See TOLSF (=R2)", 0, 2}}}},
    {Message::error_test_failed, 60, 1,
     {{{"DLSODA-  At T(=R1) and step size H(=R2), the error", 0, 0},
       {"      test failed repeatedly or with ABS(H) = HMIN", 0, 2}}}},
    {Message::convergence_failed, 60, 1,
     {{{"DLSODA-  At T (=R1) and step size H (=R2), the", 0, 0},
       {"      corrector convergence failed repeatedly", 0, 0},
       {"      or with ABS(H) = HMIN", 0, 2}}}},
    {Message::rwork_short_to_continue, 60, 1,
     {{{"DLSODA-  At current T(=R1), RWORK length too small", 0, 0},
       {"      to proceed.  The integration was otherwise successful.", 0, 1}}}},
    {Message::iwork_short_to_continue, 60, 1,
     {{{"DLSODA-  At current T(=R1), IWORK length too small", 0, 0},
       {"      to proceed.  The integration was otherwise successful.", 0, 1}}}},
    {Message::run_aborted, 60, 2,
     {{{"DLSODA-  Run aborted.. apparent infinite loop.", 0, 0}}}},
};
// clang-format on

bool printing_on = true;

const MessageEntry& entry_of(Message message) {
    const auto* found = std::find_if(std::begin(message_table), std::end(message_table),
                                     [message](const MessageEntry& e) { return e.code == message; });
    return *found;  // every enumerator has its entry
}

void print_values(std::span<const int> integers, std::span<const double> reals) {
    static const common::Format one_integer("(6X,'In above message,  I1 =',I10)");
    static const common::Format two_integers("(6X,'In above message,  I1 =',I10,3X,'I2 =',I10)");
    static const common::Format one_real("(6X,'In above message,  R1 =',D21.13)");
    static const common::Format two_reals("(6X,'In above,  R1 =',D21.13,3X,'R2 =',D21.13)");
    if (integers.size() == 1) common::console_record(one_integer.apply({std::int32_t{integers[0]}}));
    if (integers.size() == 2) {
        common::console_record(two_integers.apply({std::int32_t{integers[0]}, std::int32_t{integers[1]}}));
    }
    if (reals.size() == 1) common::console_record(one_real.apply({reals[0]}));
    if (reals.size() == 2) common::console_record(two_reals.apply({reals[0], reals[1]}));
}

}  // namespace

void report(Message message, std::initializer_list<int> integers, std::initializer_list<double> reals) {
    const MessageEntry& entry = entry_of(message);
    if (printing_on) {
        static const common::Format text_record("(1X,A)");
        std::span<const int> ints(integers.begin(), integers.size());
        std::span<const double> reals_left(reals.begin(), reals.size());
        for (const MessageRecord& record : entry.records) {
            if (record.text.empty()) break;
            std::string text(record.text);
            text.resize(std::max<std::size_t>(text.size(), static_cast<std::size_t>(entry.width)), ' ');
            common::console_record(text_record.apply({std::string_view(text)}));
            const auto ni = std::min<std::size_t>(static_cast<std::size_t>(record.integers), ints.size());
            const auto nr = std::min<std::size_t>(static_cast<std::size_t>(record.reals), reals_left.size());
            print_values(ints.first(ni), reals_left.first(nr));
            ints = ints.subspan(ni);
            reals_left = reals_left.subspan(nr);
        }
    }
    if (entry.level == 2) common::stop();
}

void set_message_printing(bool on) {
    printing_on = on;
}
bool message_printing() {
    return printing_on;
}

}  // namespace numerics::lsoda
