// The pointwise colloid curve and the sorption curve as tasks.
#include "colfit/curve_job.hpp"

#include <cmath>
#include <limits>

#include "colfit/sorption_curve.hpp"
#include "models/sorption_laws.hpp"

namespace colfit {
namespace {

std::optional<std::vector<double>> finite_or_nothing(std::vector<double> values) {
    for (const double value : values) {
        if (!std::isfinite(value)) return std::nullopt;
    }
    return values;
}

class PointwiseColloidJob final : public CurveJob {
  public:
    PointwiseColloidJob(Family family, const ParameterValues& values, std::span<const CurvePoint> points,
                        const EvaluationAccuracy& accuracy)
        : model_(colloid_model(family, values, colloid_tolerances(accuracy))),
          points_(points),
          values_(points.size(), std::numeric_limits<double>::quiet_NaN()) {}

    std::size_t tasks() const override { return points_.size(); }

    // Each point with a model of its own: a model keeps the point it is evaluating.
    void run(std::size_t k, WorkerContext& context) override {
        const CurvePoint& point = points_[k];
        const numerics::Quadrature::HeldReports held(context.quadrature);
        models::ColloidModel model = model_;
        values_[k] = model.concentration(point.t, point.x, context.quadrature);
    }

    std::optional<std::vector<double>> values() override { return finite_or_nothing(values_); }

  private:
    models::ColloidModel model_;
    std::span<const CurvePoint> points_;
    std::vector<double> values_;
};

class SorptionJob final : public CurveJob {
  public:
    SorptionJob(float sim_mode, const ParameterValues& values, std::span<const CurvePoint> points,
                const EvaluationAccuracy& accuracy)
        : accuracy_(accuracy) {
        run_.par = sorption_parameters(values);
        run_.type_code = models::adsoodesolvermod::sorption_type_code(sim_mode);
        for (const CurvePoint& point : points) {
            run_.timevector.push_back(point.t);
            run_.cexpvector.push_back(point.x);
        }
    }

    std::size_t tasks() const override { return 1; }
    void run(std::size_t, WorkerContext&) override {
        sorbed_ = sorbed_concentrations(run_, sorption_tolerances(accuracy_));
    }
    std::optional<std::vector<double>> values() override {
        if (!sorbed_) return std::nullopt;
        return finite_or_nothing(*sorbed_);
    }

  private:
    EvaluationAccuracy accuracy_;
    models::globalvars::SorptionRun run_;
    std::optional<std::vector<double>> sorbed_;
};

}  // namespace

std::unique_ptr<CurveJob> pointwise_colloid_job(Family family, const ParameterValues& values,
                                                std::span<const CurvePoint> points,
                                                const EvaluationAccuracy& accuracy) {
    return std::make_unique<PointwiseColloidJob>(family, values, points, accuracy);
}

std::unique_ptr<CurveJob> sorption_job(float sim_mode, const ParameterValues& values,
                                       std::span<const CurvePoint> points,
                                       const EvaluationAccuracy& accuracy) {
    return std::make_unique<SorptionJob>(sim_mode, values, points, accuracy);
}

}  // namespace colfit
