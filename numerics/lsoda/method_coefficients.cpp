#include "numerics/lsoda/method_coefficients.hpp"

namespace numerics::lsoda {
namespace {

// The coefficients of the polynomial p(x) are built up factor by factor in pc[0..q]: for Adams
// p(x) = (x+1)(x+2)...(x+q-1), for the BDF p(x) = x(x+1)...(x+q).
void adams(std::array<std::array<double, max_history_columns>, max_adams_order>& elco,
           std::array<std::array<double, 3>, max_adams_order>& tesco) {
    std::array<double, max_history_columns> pc{};
    elco[0][0] = 1.0;
    elco[0][1] = 1.0;
    tesco[0][0] = 0.0;
    tesco[0][1] = 2.0;
    tesco[1][0] = 1.0;
    tesco[max_adams_order - 1][2] = 0.0;
    pc[0] = 1.0;
    double rqfac = 1.0;  // 1/q!
    for (int nq = 2; nq <= max_adams_order; ++nq) {
        const double rq1fac = rqfac;  // 1/(q-1)!
        rqfac = rqfac / nq;
        const double fnqm1 = nq - 1;
        // Multiply p(x) by (x + q - 1).
        pc[nq - 1] = 0.0;
        for (int i = nq; i >= 2; --i) pc[i - 1] = pc[i - 2] + fnqm1 * pc[i - 1];
        pc[0] = fnqm1 * pc[0];
        // Integrals of p(x) and x p(x) from -1 to 0.
        double pint = pc[0];
        double xpin = pc[0] / 2.0;
        double tsign = 1.0;
        for (int i = 2; i <= nq; ++i) {
            tsign = -tsign;
            pint = pint + tsign * pc[i - 1] / i;
            xpin = xpin + tsign * pc[i - 1] / (i + 1);
        }
        auto& row = elco[nq - 1];
        row[0] = pint * rq1fac;
        row[1] = 1.0;
        for (int i = 2; i <= nq; ++i) row[i] = rq1fac * pc[i - 1] / i;
        const double agamq = rqfac * xpin;
        const double ragq = 1.0 / agamq;
        tesco[nq - 1][1] = ragq;
        if (nq < max_adams_order) tesco[nq][0] = ragq * rqfac / (nq + 1);
        tesco[nq - 2][2] = ragq;
    }
}

void bdf(std::array<std::array<double, max_history_columns>, max_adams_order>& elco,
         std::array<std::array<double, 3>, max_adams_order>& tesco) {
    std::array<double, max_history_columns> pc{};
    pc[0] = 1.0;
    double rq1fac = 1.0;
    for (int nq = 1; nq <= max_bdf_order; ++nq) {
        const double fnq = nq;
        // Multiply p(x) by (x + q).
        pc[nq] = 0.0;
        for (int i = nq + 1; i >= 2; --i) pc[i - 1] = pc[i - 2] + fnq * pc[i - 1];
        pc[0] = fnq * pc[0];
        auto& row = elco[nq - 1];
        for (int i = 0; i <= nq; ++i) row[i] = pc[i] / pc[1];
        row[1] = 1.0;
        tesco[nq - 1][0] = rq1fac;
        tesco[nq - 1][1] = (nq + 1) / row[0];
        tesco[nq - 1][2] = (nq + 2) / row[0];
        rq1fac = rq1fac / fnq;
    }
}

}  // namespace

void method_coefficients(Method meth,
                         std::array<std::array<double, max_history_columns>, max_adams_order>& elco,
                         std::array<std::array<double, 3>, max_adams_order>& tesco) {
    if (meth == Method::bdf) {
        bdf(elco, tesco);
    } else {
        adams(elco, tesco);
    }
}

}  // namespace numerics::lsoda
