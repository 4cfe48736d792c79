// Broad-pulse concentrations of many points from one accumulated double integral per position.
#include "colfit/broad_pulse_curve.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <vector>

namespace colfit {
namespace {

// The largest exponent that a factor of the plain form may reach here: exp(300) is far from the
// limits of doubles, so that products of two such factors and the integrals' sums stay in range.
constexpr double kLargestExponent = 300.0;

// The response times at one position, sorted, and where each point finds its own.
struct Position {
    double x = 0.0;
    std::vector<double> times;  // distinct response times T > 0, increasing
};

struct PointResponses {
    std::size_t position = 0;
    std::ptrdiff_t first = -1;   // index of T = t in the position's times; -1 for t = 0
    std::ptrdiff_t second = -1;  // index of T = t - tp when tp < t
};

class SharedBroadPulseJob final : public CurveJob {
  public:
    SharedBroadPulseJob(const models::BroadPulseParameters& p, BroadPulseForm form,
                        std::vector<Position> positions, std::vector<PointResponses> points,
                        const EvaluationAccuracy& accuracy)
        : p_(p),
          form_(form),
          positions_(std::move(positions)),
          points_(std::move(points)),
          accuracy_(accuracy) {
        for (std::size_t g = 0; g < positions_.size(); ++g) {
            offset_.push_back(pieces_);
            pieces_ += positions_[g].times.size();
        }
        outer_.assign(pieces_, std::numeric_limits<double>::quiet_NaN());
        single_.assign(pieces_, std::numeric_limits<double>::quiet_NaN());
    }

    // Task k < pieces: the piece of R2's outer integral that ends at time k; then R1 at time k.
    std::size_t tasks() const override { return 2 * pieces_; }

    void run(std::size_t k, WorkerContext& context) override {
        const bool single = k >= pieces_;
        const std::size_t piece = single ? k - pieces_ : k;
        const std::size_t g = static_cast<std::size_t>(
            std::upper_bound(offset_.begin(), offset_.end(), piece) - offset_.begin() - 1);
        const Position& position = positions_[g];
        const std::size_t i = piece - offset_[g];
        const double end = position.times[i];
        const double start = i == 0 ? 0.0 : position.times[i - 1];

        models::BroadPulse model(p_);
        (void)model.concentration(0.0, position.x, context.quadrature, {});  // sets the position only
        const double h = model.state().h;
        const bool scaled = form_ == BroadPulseForm::scaled;
        const models::QuadratureTolerances tolerances =
            scaled ? broad_pulse_scaled_tolerances(accuracy_, p_)
                   : broad_pulse_tolerances(accuracy_, p_, position.x);
        const auto integrate = [&](const auto& f, double a, double b, numerics::QagWorkspace& workspace) {
            return numerics::qag(f, a, b, tolerances.errabs, tolerances.errrel, models::kGaussKronrod21,
                                 workspace)
                .result;
        };
        if (single) {
            const auto func2 = [&](double tau) { return model.func1_with(1.0, end, tau); };
            const auto func2_scaled = [&](double tau) { return model.func1_scaled(end, tau) / h; };
            single_[piece] = scaled ? integrate(func2_scaled, 0.0, end, context.outer)
                                    : integrate(func2, 0.0, end, context.outer);
            return;
        }
        const auto inner_integral = [&](double tau1) {
            if (scaled) {
                const auto func1 = [&](double tau2) { return model.func1_scaled(tau1, tau2); };
                return integrate(func1, 0.0, tau1, context.inner);
            }
            const double factor = model.outer_factor(tau1);
            const auto func1 = [&](double tau2) { return model.func1_with(factor, tau1, tau2); };
            return integrate(func1, 0.0, tau1, context.inner);
        };
        outer_[piece] = integrate(inner_integral, start, end, context.outer);
    }

    std::optional<std::vector<double>> values() override {
        std::vector<double> response(pieces_);
        for (std::size_t g = 0; g < positions_.size(); ++g) {
            const Position& position = positions_[g];
            // G = (exp(-h T) R1 + R2) Conc0 (U / sqrt(D)) exp(U x/(2D)); the scaled integrals hold
            // both exponentials already.
            const bool scaled = form_ == BroadPulseForm::scaled;
            const double scale = p_.conc0 * (p_.u / std::sqrt(p_.d)) *
                                 (scaled ? 1.0 : std::exp(p_.u * position.x / (2.0 * p_.d)));
            const double h = models::BroadPulse(p_).state().h;
            double r2 = 0.0;
            for (std::size_t i = 0; i < position.times.size(); ++i) {
                const std::size_t piece = offset_[g] + i;
                r2 += outer_[piece];
                const double decay = scaled ? 1.0 : std::exp(-h * position.times[i]);
                response[piece] = (decay * single_[piece] + r2) * scale;
            }
        }
        std::vector<double> c;
        for (const PointResponses& point : points_) {
            const std::size_t base = offset_[point.position];
            const double c1 = point.first < 0 ? 0.0 : response[base + static_cast<std::size_t>(point.first)];
            const double c2 =
                point.second < 0 ? 0.0 : response[base + static_cast<std::size_t>(point.second)];
            c.push_back(point.second < 0 ? c1 : c1 - c2);
            if (!std::isfinite(c.back())) return std::nullopt;
        }
        return c;
    }

  private:
    models::BroadPulseParameters p_;
    BroadPulseForm form_;
    std::vector<Position> positions_;
    std::vector<PointResponses> points_;
    EvaluationAccuracy accuracy_;
    std::vector<std::size_t> offset_;  // first piece of each position
    std::size_t pieces_ = 0;
    std::vector<double> outer_;   // pieces of R2's outer integral
    std::vector<double> single_;  // R1 at each response time
};

std::ptrdiff_t index_of(const std::vector<double>& times, double t) {
    return std::lower_bound(times.begin(), times.end(), t) - times.begin();
}

// The positions of the points with their response times, and where each point finds its own;
// nothing when a time is negative.
struct Layout {
    std::vector<Position> positions;
    std::vector<PointResponses> responses;
};

std::optional<Layout> layout_of(const models::BroadPulseParameters& p, std::span<const CurvePoint> points) {
    Layout layout;
    std::vector<std::size_t> position_of;
    for (const CurvePoint& point : points) {
        if (!(point.t >= 0.0)) return std::nullopt;
        auto found = std::find_if(layout.positions.begin(), layout.positions.end(),
                                  [&](const Position& g) { return g.x == point.x; });
        if (found == layout.positions.end())
            found = layout.positions.insert(layout.positions.end(), Position{point.x, {}});
        if (point.t > 0.0) found->times.push_back(point.t);
        if (p.tp < point.t) found->times.push_back(point.t - p.tp);
        position_of.push_back(static_cast<std::size_t>(found - layout.positions.begin()));
    }
    for (Position& g : layout.positions) {
        std::sort(g.times.begin(), g.times.end());
        g.times.erase(std::unique(g.times.begin(), g.times.end()), g.times.end());
    }
    for (std::size_t k = 0; k < points.size(); ++k) {
        const Position& g = layout.positions[position_of[k]];
        PointResponses r{position_of[k], -1, -1};
        if (points[k].t > 0.0) r.first = index_of(g.times, points[k].t);
        if (p.tp < points[k].t) r.second = index_of(g.times, points[k].t - p.tp);
        layout.responses.push_back(r);
    }
    return layout;
}

BroadPulseForm form_for(const models::BroadPulseParameters& p, const Layout& layout) {
    const models::colloidm::State s = models::BroadPulse(p).state();
    if (!(p.d > 0.0) || !std::isfinite(p.tp) || !std::isfinite(s.h) || !std::isfinite(s.a) ||
        !std::isfinite(s.b))
        return BroadPulseForm::pointwise;
    double latest = 0.0;
    double advection = 0.0;
    for (const Position& g : layout.positions) {
        if (!g.times.empty()) latest = std::max(latest, g.times.back());
        advection = std::max(advection, std::fabs(p.u * g.x / (2.0 * p.d)));
    }
    const bool in_range = advection <= kLargestExponent && std::fabs(s.h) * latest <= kLargestExponent &&
                          std::fabs(s.h - s.a) * latest <= kLargestExponent &&
                          std::sqrt(std::fabs(s.b)) * latest <= kLargestExponent;
    if (in_range) return BroadPulseForm::plain;
    return s.h != 0.0 ? BroadPulseForm::scaled : BroadPulseForm::pointwise;
}

}  // namespace

BroadPulseForm broad_pulse_form(const models::BroadPulseParameters& p, std::span<const CurvePoint> points) {
    const std::optional<Layout> layout = layout_of(p, points);
    return layout ? form_for(p, *layout) : BroadPulseForm::pointwise;
}

std::unique_ptr<CurveJob> shared_broad_pulse_job(const models::BroadPulseParameters& p,
                                                 std::span<const CurvePoint> points,
                                                 const EvaluationAccuracy& accuracy) {
    std::optional<Layout> layout = layout_of(p, points);
    if (!layout) return nullptr;
    const BroadPulseForm form = form_for(p, *layout);
    if (form == BroadPulseForm::pointwise) return nullptr;
    return std::make_unique<SharedBroadPulseJob>(p, form, std::move(layout->positions),
                                                 std::move(layout->responses), accuracy);
}

}  // namespace colfit
