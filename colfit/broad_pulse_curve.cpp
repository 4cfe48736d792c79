// Broad-pulse concentrations of many points from one accumulated double integral per position.
#include "colfit/broad_pulse_curve.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
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
    SharedBroadPulseJob(const models::BroadPulseParameters& p, std::vector<Position> positions,
                        std::vector<PointResponses> points, const EvaluationAccuracy& accuracy)
        : p_(p), positions_(std::move(positions)), points_(std::move(points)), accuracy_(accuracy) {
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
        const models::QuadratureTolerances tolerances = broad_pulse_tolerances(accuracy_, p_, position.x);
        if (single) {
            const auto func2 = [&](double tau) { return model.func1_with(1.0, end, tau); };
            single_[piece] = numerics::qag(func2, 0.0, end, tolerances.errabs, tolerances.errrel,
                                           models::kGaussKronrod21, context.outer)
                                 .result;
            return;
        }
        const auto inner_integral = [&](double tau1) {
            const double factor = model.outer_factor(tau1);
            const auto func1 = [&](double tau2) { return model.func1_with(factor, tau1, tau2); };
            return numerics::qag(func1, 0.0, tau1, tolerances.errabs, tolerances.errrel,
                                 models::kGaussKronrod21, context.inner)
                .result;
        };
        outer_[piece] = numerics::qag(inner_integral, start, end, tolerances.errabs, tolerances.errrel,
                                      models::kGaussKronrod21, context.outer)
                            .result;
    }

    std::optional<std::vector<double>> values() override {
        std::vector<double> response(pieces_);
        for (std::size_t g = 0; g < positions_.size(); ++g) {
            const Position& position = positions_[g];
            const double scale =
                p_.conc0 * (p_.u / std::sqrt(p_.d)) * std::exp(p_.u * position.x / (2.0 * p_.d));
            const double h = models::BroadPulse(p_).state().h;
            double r2 = 0.0;
            for (std::size_t i = 0; i < position.times.size(); ++i) {
                const std::size_t piece = offset_[g] + i;
                r2 += outer_[piece];
                response[piece] = (std::exp(-h * position.times[i]) * single_[piece] + r2) * scale;
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

}  // namespace

std::unique_ptr<CurveJob> shared_broad_pulse_job(const models::BroadPulseParameters& p,
                                                 std::span<const CurvePoint> points,
                                                 const EvaluationAccuracy& accuracy) {
    if (!(p.d > 0.0) || !std::isfinite(p.tp)) return nullptr;
    const models::colloidm::State s = models::BroadPulse(p).state();
    std::vector<Position> positions;
    std::vector<std::size_t> position_of;
    for (const CurvePoint& point : points) {
        if (!(point.t >= 0.0)) return nullptr;
        auto found = std::find_if(positions.begin(), positions.end(),
                                  [&](const Position& g) { return g.x == point.x; });
        if (found == positions.end()) found = positions.insert(positions.end(), Position{point.x, {}});
        if (point.t > 0.0) found->times.push_back(point.t);
        if (p.tp < point.t) found->times.push_back(point.t - p.tp);
        position_of.push_back(static_cast<std::size_t>(found - positions.begin()));
    }
    double latest = 0.0;
    for (Position& g : positions) {
        std::sort(g.times.begin(), g.times.end());
        g.times.erase(std::unique(g.times.begin(), g.times.end()), g.times.end());
        if (!g.times.empty()) latest = std::max(latest, g.times.back());
        if (!(std::fabs(p.u * g.x / (2.0 * p.d)) <= kLargestExponent)) return nullptr;
    }
    const bool in_range = std::fabs(s.h) * latest <= kLargestExponent &&
                          std::fabs(s.h - s.a) * latest <= kLargestExponent &&
                          std::sqrt(std::fabs(s.b)) * latest <= kLargestExponent;
    if (!in_range) return nullptr;

    std::vector<PointResponses> responses;
    for (std::size_t k = 0; k < points.size(); ++k) {
        const Position& g = positions[position_of[k]];
        PointResponses r{position_of[k], -1, -1};
        if (points[k].t > 0.0) r.first = index_of(g.times, points[k].t);
        if (p.tp < points[k].t) r.second = index_of(g.times, points[k].t - p.tp);
        responses.push_back(r);
    }
    return std::make_unique<SharedBroadPulseJob>(p, std::move(positions), std::move(responses), accuracy);
}

}  // namespace colfit
