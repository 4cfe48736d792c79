#include "models/placed_integral.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

namespace models {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr double kGolden = 0.6180339887498949;

// The model at tau, minus infinity for a value that is not a number.
double model_at(numerics::FunctionRef<double(double)> log_model, double tau) {
    const double value = log_model(tau);
    return value == value ? value : -kInfinity;
}

struct Peak {
    double tau;
    double value;
};

// The largest value of the model on [a, b], which brackets its peak (the model is unimodal there),
// with the values at a and b known: golden-section search until the bracket is flat to
// kPeakFlatness e-folds or no wider than `gap`.
Peak refine_peak(numerics::FunctionRef<double(double)> log_model, double a, double fa, double b, double fb,
                 double gap) {
    double c = b - kGolden * (b - a);
    double d = a + kGolden * (b - a);
    double fc = model_at(log_model, c);
    double fd = model_at(log_model, d);
    for (int k = 0; k < evaluation::kPeakIterations; ++k) {
        if (std::max(fc, fd) - std::min(fa, fb) < evaluation::kPeakFlatness || b - a <= gap) break;
        if (fc >= fd) {
            b = d;
            fb = fd;
            d = c;
            fd = fc;
            c = b - kGolden * (b - a);
            fc = model_at(log_model, c);
        } else {
            a = c;
            fa = fc;
            c = d;
            fc = fd;
            d = a + kGolden * (b - a);
            fd = model_at(log_model, d);
        }
    }
    Peak best{a, fa};
    for (const Peak p : {Peak{c, fc}, Peak{d, fd}, Peak{b, fb}})
        if (p.value > best.value) best = p;
    return best;
}

// Between `below` (model under the level) and `above` (at or over it): a point under the level
// close to where the model crosses it.
double crossing(numerics::FunctionRef<double(double)> log_model, double level, double below, double above) {
    for (int k = 0; k < evaluation::kCutIterations; ++k) {
        const double middle = 0.5 * (below + above);
        if (middle == below || middle == above) break;
        if (model_at(log_model, middle) >= level) {
            above = middle;
        } else {
            below = middle;
        }
    }
    return below;
}

}  // namespace

Panels place_panels(numerics::FunctionRef<double(double)> log_model, double lo, double hi,
                    std::span<const double> breaks, std::span<const double> hints, double depth) {
    Panels panels;
    if (!(hi > lo)) return panels;
    const double length = hi - lo;
    // Edges closer than this are merged: relative to the interval, and in units of the last place
    // of the times (a panel must hold many doubles).
    const double gap = std::max(evaluation::kEdgeGap * length, evaluation::kEdgeUlps *
                                                                   std::numeric_limits<double>::epsilon() *
                                                                   std::max(std::fabs(lo), std::fabs(hi)));
    // The grid: uniform, then closer and closer to the start, then the hints.
    constexpr int most = evaluation::kGridPoints + evaluation::kStartGridPoints + evaluation::kMaxHints;
    std::array<double, most> grid{};
    int n = 0;
    for (int i = 0; i < evaluation::kGridPoints; ++i)
        grid[n++] = i == evaluation::kGridPoints - 1 ? hi : lo + length * i / (evaluation::kGridPoints - 1);
    double near = length / (evaluation::kGridPoints - 1);
    for (int i = 0; i < evaluation::kStartGridPoints; ++i) {
        near *= evaluation::kStartGridRatio;
        grid[n++] = lo + near;
    }
    for (std::size_t i = 0; i < hints.size() && i < evaluation::kMaxHints; ++i)
        if (hints[i] > lo && hints[i] < hi) grid[n++] = hints[i];
    std::sort(grid.begin(), grid.begin() + n);
    std::array<double, most> values{};
    int top = 0;
    for (int i = 0; i < n; ++i) {
        // tau f(tau) vanishes at tau = 0, where the kernel's exponent need not be a number.
        values[i] = grid[i] == 0.0 ? -kInfinity : model_at(log_model, grid[i]);
        if (values[i] > values[top]) top = i;
    }
    if (values[top] == -kInfinity) return panels;  // nothing of the range of doubles
    if (!std::isfinite(values[top])) {
        // A model beyond the range of logarithms: one panel, unnormalised.
        panels.count = 1;
        panels.edges[0] = lo;
        panels.edges[1] = hi;
        return panels;
    }

    const int left = std::max(top - 1, 0);
    const int right = std::min(top + 1, n - 1);
    const Peak peak = refine_peak(log_model, grid[left], values[left], grid[right], values[right], gap);
    const double level = std::max(peak.value, values[top]) - depth;
    panels.log_peak = std::max(peak.value, values[top]);

    // The ends: past the outermost grid points at or over the level on either side of the peak,
    // where the model crosses it (between the last grid point under it and the peak itself when no
    // grid point reaches the level: a peak narrower than the grid).
    int first = 0;  // the first grid point at or over the level, or right of the peak
    while (first < n && grid[first] < peak.tau && values[first] < level) ++first;
    int last = n - 1;
    while (last >= 0 && grid[last] > peak.tau && values[last] < level) --last;
    double start = lo;
    if (first > 0) {
        const bool reached = first < n && grid[first] < peak.tau;
        start = crossing(log_model, level, grid[first - 1], reached ? grid[first] : peak.tau);
    }
    double end = hi;
    if (last < n - 1) {
        const bool reached = last >= 0 && grid[last] > peak.tau;
        end = crossing(log_model, level, grid[last + 1], reached ? grid[last] : peak.tau);
    }
    if (!(end > start)) {
        start = lo;
        end = hi;
    }

    std::array<double, evaluation::kMaxPanels + 8> edges{};
    int count = 0;
    edges[count++] = start;
    edges[count++] = end;
    const auto add = [&](double tau) {
        if (tau > start && tau < end && count < evaluation::kMaxPanels + 1) edges[count++] = tau;
    };
    add(peak.tau);
    for (int i = 1; i < n - 1; ++i) {  // other local peaks of the grid
        if (i != top && values[i] >= level && values[i] > values[i - 1] && values[i] >= values[i + 1])
            add(grid[i]);
    }
    for (const double tau : breaks) add(tau);
    std::sort(edges.begin(), edges.begin() + count);
    // From 0 when the integration would start close to it.
    if (lo == 0.0 && edges[0] > 0.0 && count > 1 && edges[0] < evaluation::kStartAtZero * edges[1])
        edges[0] = 0.0;

    int kept = 0;
    for (int i = 0; i < count; ++i) {
        if (kept > 0 && edges[i] - panels.edges[kept - 1] <= gap) {
            if (i == count - 1) panels.edges[kept - 1] = edges[i];  // keep the end
            continue;
        }
        panels.edges[kept++] = edges[i];
    }
    panels.count = kept - 1;
    if (panels.count < 1) {
        panels.count = 1;
        panels.edges[0] = start;
        panels.edges[1] = end;
    }

    // The panels next to the peak first, then outward by distance from it.
    for (int i = 0; i < panels.count; ++i) panels.order[i] = i;
    const auto distance = [&](int i) {
        const double a = panels.edges[i];
        const double b = panels.edges[i + 1];
        if (peak.tau >= a && peak.tau <= b) return 0.0;
        return std::min(std::fabs(a - peak.tau), std::fabs(b - peak.tau));
    };
    std::stable_sort(panels.order.begin(), panels.order.begin() + panels.count,
                     [&](int i, int j) { return distance(i) < distance(j); });
    return panels;
}

PanelSum integrate_panels(numerics::Quadrature& quadrature, numerics::Integrand f, const Panels& panels,
                          double epsabs, double epsrel, int rule) {
    PanelSum sum;
    const double share = 1.0 / std::max(panels.count, 1);
    for (int k = 0; k < panels.count; ++k) {
        const int i = panels.order[k];
        const double a = panels.edges[i];
        const double b = panels.edges[i + 1];
        const double tolerance = std::max(epsabs, epsrel * std::fabs(sum.value)) * share;
        numerics::QuadratureResult r;
        if (a == 0.0) {
            const auto in_w = [&](double w) { return f(b * w * w) * (2.0 * b * w); };
            r = quadrature.dqdag(in_w, 0.0, 1.0, tolerance, epsrel, rule);
        } else {
            r = quadrature.dqdag(f, a, b, tolerance, epsrel, rule);
        }
        sum.value += r.result;
        sum.errest += r.errest;
        if (r.ier != numerics::ier::success) sum.failed = true;
    }
    return sum;
}

double scaled_value(double value, double log_scale) {
    if (value > 0.0) return std::exp(log_scale + std::log(value));
    if (value < 0.0) return -std::exp(log_scale + std::log(-value));
    return value;
}

int kernel_peak_hints(double d, double u, double x, double rate, double* hints) {
    int count = 0;
    if (u > 0.0 && x > 0.0) hints[count++] = x / u;
    const double decay = u * u - 4.0 * d * rate;  // U^2 - 4 D r
    if (decay > 0.0) {
        if (x > 0.0) hints[count++] = x / std::sqrt(decay);
        hints[count++] = 2.0 * d / decay;
    }
    return count;
}

void bessel_branch_points(double c, double end, double level, double lo, double hi, double* roots,
                          int& count) {
    const double half = 0.5 * end;
    const double discriminant = half * half - level / c;
    if (!(discriminant > 0.0)) return;
    const double upper = half + std::sqrt(discriminant);
    const double lower = level / (c * upper);
    for (const double tau : {lower, upper})
        if (tau > lo && tau < hi) roots[count++] = tau;
}

}  // namespace models
