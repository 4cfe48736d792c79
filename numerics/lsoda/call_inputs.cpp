#include <algorithm>
#include <climits>
#include <cstdint>

#include "numerics/lsoda/call.hpp"
#include "numerics/lsoda/messages.hpp"

namespace numerics::lsoda {
namespace {

constexpr int default_mxstep = 500;
constexpr int default_mxhnil = 10;

// Lengths are computed wide and reported saturated, so that a huge NEQ cannot overflow them.
int saturated(std::int64_t value) {
    return static_cast<int>(std::min<std::int64_t>(value, INT_MAX));
}

bool take_optional_inputs(SolverState& s, const Call& c, double& h0) {
    const bool first = *c.istate == 1;
    if (*c.iopt == 0) {
        s.ixpr = 0;
        s.mxstep = default_mxstep;
        s.mxhnil = default_mxhnil;
        s.hmxi = 0.0;
        s.hmin = 0.0;
        if (first) {
            h0 = 0.0;
            s.mxordn = max_adams_order;
            s.mxords = max_bdf_order;
        }
        return true;
    }
    s.ixpr = c.iwork_in(5);
    if (s.ixpr < 0 || s.ixpr > 1) {
        report(Message::ixpr_illegal, {s.ixpr});
        return false;
    }
    s.mxstep = c.iwork_in(6);
    if (s.mxstep < 0) {
        report(Message::mxstep_negative, {s.mxstep});
        return false;
    }
    if (s.mxstep == 0) s.mxstep = default_mxstep;
    s.mxhnil = c.iwork_in(7);
    if (s.mxhnil < 0) {
        report(Message::mxhnil_negative, {s.mxhnil});
        return false;
    }
    if (s.mxhnil == 0) s.mxhnil = default_mxhnil;
    if (first) {
        h0 = c.rwork_in(5);
        s.mxordn = c.iwork_in(8);
        if (s.mxordn < 0) {
            report(Message::mxordn_negative, {s.mxordn});
            return false;
        }
        if (s.mxordn == 0) s.mxordn = 100;
        s.mxordn = std::min(s.mxordn, max_adams_order);
        s.mxords = c.iwork_in(9);
        if (s.mxords < 0) {
            report(Message::mxords_negative, {s.mxords});
            return false;
        }
        if (s.mxords == 0) s.mxords = 100;
        s.mxords = std::min(s.mxords, max_bdf_order);
        if ((*c.tout - *c.t) * h0 < 0.0) {
            report(Message::tout_behind_t, {}, {*c.tout, *c.t, h0});
            return false;
        }
    }
    const double hmax = c.rwork_in(6);
    if (hmax < 0.0) {
        report(Message::hmax_negative, {}, {hmax});
        return false;
    }
    s.hmxi = hmax > 0.0 ? 1.0 / hmax : 0.0;
    s.hmin = c.rwork_in(7);
    if (s.hmin < 0.0) {
        report(Message::hmin_negative, {}, {s.hmin});
        return false;
    }
    return true;
}

}  // namespace

InputCheck accept_inputs(SolverState& s, const Call& c, double& h0) {
    const int istate = *c.istate;
    const int neq = c.neq[0];
    if (neq <= 0) {
        report(Message::neq_below_one, {neq});
        return InputCheck::illegal;
    }
    if (istate != 1 && neq > s.n) {
        report(Message::neq_increased, {s.n, neq});
        return InputCheck::illegal;
    }
    s.n = neq;
    const int n = s.n;
    const int itol = *c.itol;
    if (itol < 1 || itol > 4) {
        report(Message::itol_illegal, {itol});
        return InputCheck::illegal;
    }
    if (*c.iopt < 0 || *c.iopt > 1) {
        report(Message::iopt_illegal, {*c.iopt});
        return InputCheck::illegal;
    }
    const int jt = *c.jt;
    if (jt == 3 || jt < 1 || jt > 5) {
        report(Message::jt_illegal, {jt});
        return InputCheck::illegal;
    }
    s.jtyp = static_cast<Iteration>(jt);
    int ml = 0;
    int mu = 0;
    if (jt > 2) {
        ml = c.iwork_in(1);
        mu = c.iwork_in(2);
        if (ml < 0 || ml >= n) {
            report(Message::ml_illegal, {ml, n});
            return InputCheck::illegal;
        }
        if (mu < 0 || mu >= n) {
            report(Message::mu_illegal, {mu, n});
            return InputCheck::illegal;
        }
    }
    if (!take_optional_inputs(s, c, h0)) return InputCheck::illegal;

    // Layout: RWORK(21...) the Nordsieck array, the iteration matrix after the BDF's columns, then
    // the error weights, saved f values and corrections; the pivots in IWORK(21...).
    if (istate == 1) {
        s.meth = Method::adams;
        s.nyh = n;
    }
    s.lyh = 20;
    const std::int64_t nyh = s.nyh;
    const std::int64_t len1n = 20 + (s.mxordn + 1) * nyh;
    std::int64_t len1s = 20 + (s.mxords + 1) * nyh;
    s.lwm = saturated(len1s);
    const std::int64_t lenwm = jt <= 2 ? std::int64_t{n} * n + 2 : (2 * std::int64_t{ml} + mu + 1) * n + 2;
    len1s += lenwm;
    const std::int64_t len1c = s.meth == Method::bdf ? len1s : len1n;
    const std::int64_t len1 = std::max(len1n, len1s);
    const std::int64_t len2 = 3 * std::int64_t{n};
    const int lenrw = saturated(len1 + len2);
    const std::int64_t lenrwc = len1c + len2;
    c.iwork_out(17, lenrw);
    const int leniw = saturated(20 + std::int64_t{n});
    const int leniwc = s.meth == Method::bdf ? leniw : 20;
    c.iwork_out(18, leniw);
    const int lrw = *c.lrw;
    const int liw = *c.liw;
    if (istate == 1 && lrw < lenrwc) {
        report(Message::rwork_too_short, {lenrw, lrw});
        return InputCheck::illegal;
    }
    if (istate == 1 && liw < leniwc) {
        report(Message::iwork_too_short, {leniw, liw});
        return InputCheck::illegal;
    }
    if (istate == 3 && lrw < lenrwc) {
        report(Message::rwork_short_to_continue, {}, {s.tn});
        return InputCheck::too_short_to_go;
    }
    if (istate == 3 && liw < leniwc) {
        report(Message::iwork_short_to_continue, {}, {s.tn});
        return InputCheck::too_short_to_go;
    }
    s.lewt = saturated(len1);
    s.insufr = 0;
    if (lrw < lenrw) {
        // Enough for the Adams methods only: the weights follow their part.
        s.insufr = 2;
        s.lewt = saturated(len1c);
        report(Message::rwork_short_for_now, {lenrw, lrw});
    }
    s.lsavf = s.lewt + n;
    s.lacor = s.lsavf + n;
    s.insufi = 0;
    if (liw < leniw) {
        s.insufi = 2;
        report(Message::iwork_short_for_now, {leniw, liw});
    }

    const bool rtol_array = itol >= 3;
    const bool atol_array = itol == 2 || itol == 4;
    for (int i = 0; i < n; ++i) {
        const double rtoli = rtol_array ? c.rtol[i] : c.rtol[0];
        const double atoli = atol_array ? c.atol[i] : c.atol[0];
        if (rtoli < 0.0) {
            report(Message::rtol_negative, {i + 1}, {rtoli});
            return InputCheck::illegal;
        }
        if (atoli < 0.0) {
            report(Message::atol_negative, {i + 1}, {atoli});
            return InputCheck::illegal;
        }
    }

    if (istate == 3) {
        s.jstart = StepStart::inputs_changed;
        // A changed JT takes effect at once while the BDF runs.
        if (s.meth == Method::bdf) s.miter = s.jtyp;
        if (n != s.nyh) {
            // NEQ was reduced: clear the unused columns so that nothing undefined is read.
            const long from = s.lyh + static_cast<long>(s.l) * s.nyh;
            const long to = s.lyh + static_cast<long>(s.maxord + 1) * s.nyh;
            for (long i = from; i < to; ++i) c.rwork[i] = 0.0;
        }
    }
    return InputCheck::accepted;
}

}  // namespace numerics::lsoda
