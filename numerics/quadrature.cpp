#include "numerics/quadrature.hpp"

#include <algorithm>
#include <cstddef>
#include <deque>
#include <vector>

#include "numerics/gsl_error_handler.hpp"
#include "numerics/qag.hpp"
#include "numerics/qag_messages.hpp"

namespace numerics {
namespace {

// The double integral that dtwodq is computing. Every inner integration (f3integrated, func3)
// reads its definition, and the outer abscissa of the inner integration under way.
struct DoubleIntegral {
    Integrand2 f;   // F(x, y)
    InnerLimit g;   // lower inner limit G(x)
    InnerLimit h;   // upper inner limit H(x)
    double errabs;  // tolerances and rule of every integration of this double integral
    double errrel;
    std::int32_t irule;
    double x = 0.0;  // the current outer abscissa
};

}  // namespace

struct Quadrature::State {
    std::size_t limit;  // LIMIT, at least 1
    common::MessageFile& messages;
    std::FILE* answers = stdin;
    // One workspace per nesting level of the integrations under way: [0] for dqdag and the outer
    // integral of dtwodq, [1] for the inner integrals; a deque keeps them in place as it grows.
    std::deque<QagWorkspace> workspaces;
    std::size_t depth = 0;  // integrations under way
    std::int64_t evaluations = 0;
    bool invalid_input_reported = false;
    // Reports kept back while a hold is in place (codes other than success only).
    bool holding = false;
    struct HeldReport {
        int ier;
        QagLevel level;
    };
    std::vector<HeldReport> held;

    State(std::int32_t limit_value, common::MessageFile& message_file)
        : limit(static_cast<std::size_t>(std::max<std::int32_t>(limit_value, 1))), messages(message_file) {
        workspaces.emplace_back(limit);
        workspaces.emplace_back(limit);
    }

    // QAG on f with the workspace of the next nesting level.
    template <typename F>
    QagOutcome integrate(F& f, double a, double b, double errabs, double errrel, std::int32_t irule) {
        if (depth == workspaces.size()) workspaces.emplace_back(limit);
        QagWorkspace& workspace = workspaces[depth];
        ++depth;
        struct LevelEnd {
            std::size_t& depth;
            ~LevelEnd() { --depth; }
        } level_end{depth};
        return qag(f, a, b, errabs, errrel, irule, workspace);
    }

    void report(const QagOutcome& outcome, QagLevel level) { report(outcome.ier, level); }

    // A single integral of the caller's, counted and reported at its level.
    QuadratureResult single(Integrand& f, double a, double b, double errabs, double errrel,
                            std::int32_t irule, QagLevel level) {
        const QagOutcome outcome = integrate(f, a, b, errabs, errrel, irule);
        evaluations += outcome.evaluations;
        report(outcome, level);
        return {outcome.result, outcome.errest, outcome.ier};
    }
    void report(int ier, QagLevel level) {
        if (holding) {
            if (ier != ier::success) held.push_back({ier, level});
            return;
        }
        if (report_qag_code(ier, level, messages, answers)) invalid_input_reported = true;
    }

    // The outer integrand of a double integral: the inner integral at outer abscissa x.
    double f3integrated(DoubleIntegral& integral, double x) {
        integral.x = x;
        const double lower = integral.g(x);
        const double upper = integral.h(x);
        auto func3 = [&integral](double y) { return integral.f(integral.x, y); };
        const QagOutcome inner =
            integrate(func3, lower, upper, integral.errabs, integral.errrel, integral.irule);
        evaluations += inner.evaluations;
        report(inner, QagLevel::inner);
        return inner.result;
    }
};

Quadrature::Quadrature(std::int32_t limit, common::MessageFile& messages) {
    use_gsl_status_codes();
    state_ = new State(limit, messages);
}

Quadrature::~Quadrature() {
    delete state_;
}

QuadratureResult Quadrature::dqdag(Integrand f, double a, double b, double errabs, double errrel,
                                   std::int32_t irule) {
    return state_->single(f, a, b, errabs, errrel, irule, QagLevel::single);
}

QuadratureResult Quadrature::inner_dqdag(Integrand f, double a, double b, double errabs, double errrel,
                                         std::int32_t irule) {
    return state_->single(f, a, b, errabs, errrel, irule, QagLevel::inner);
}

QuadratureResult Quadrature::dtwodq(Integrand2 f, double a, double b, InnerLimit g, InnerLimit h,
                                    double errabs, double errrel, std::int32_t irule) {
    DoubleIntegral integral{f, g, h, errabs, errrel, irule};
    auto f3integrated = [this, &integral](double x) { return state_->f3integrated(integral, x); };
    // The outer integral, reported as dqdag reports its own.
    const QagOutcome outcome = state_->integrate(f3integrated, a, b, errabs, errrel, irule);
    state_->report(outcome, QagLevel::single);
    return {outcome.result, outcome.errest, outcome.ier};
}

std::int64_t Quadrature::evaluations() const noexcept {
    return state_->evaluations;
}

bool Quadrature::invalid_input_reported() const noexcept {
    return state_->invalid_input_reported;
}

void Quadrature::set_pause_answers(std::FILE* answers) noexcept {
    state_->answers = answers;
}

Quadrature::HeldReports::HeldReports(Quadrature& quadrature)
    : state_(*quadrature.state_), outermost_(!state_.holding) {
    state_.holding = true;
}

Quadrature::HeldReports::~HeldReports() {
    if (!outermost_) return;
    state_.holding = false;
    state_.held.clear();
}

void Quadrature::HeldReports::release() {
    if (!outermost_) return;
    state_.holding = false;
    std::vector<State::HeldReport> reports;
    reports.swap(state_.held);
    for (const State::HeldReport& report : reports) state_.report(report.ier, report.level);
}

}  // namespace numerics
