// Finite-difference Jacobians in the statistical variables.
#include "colfit/jacobian.hpp"

#include <algorithm>
#include <cmath>
#include <vector>

namespace colfit {
namespace {

// A difference formula: the derivative is (centre * r(s) + sum of weight * r(s + offset h)) / h.
struct Stencil {
    double h = 0.0;
    double centre = 0.0;
    std::vector<std::pair<double, double>> terms;  // (offset in steps, weight)
};

Stencil forward(double h, double sign) {
    return {h, -1.0 / sign, {{sign, 1.0 / sign}}};
}

// Second order on one side.
Stencil one_sided(double h, double sign) {
    return {h, -1.5 / sign, {{sign, 2.0 / sign}, {2.0 * sign, -0.5 / sign}}};
}

Stencil stencil_for(Differences differences, double h, double room_below, double room_above) {
    const double sign = room_above >= room_below ? 1.0 : -1.0;
    const double room = std::max(room_above, room_below);
    if (differences == Differences::forward) return forward(std::min(h, room), sign);
    if (h <= room_below && h <= room_above) return {h, 0.0, {{1.0, 0.5}, {-1.0, -0.5}}};
    return one_sided(std::min(h, 0.5 * room), sign);
}

}  // namespace

std::optional<Matrix> jacobian(Residuals& residuals, std::span<const double> s, std::span<const double> r0,
                               Differences differences, double step) {
    const ParameterSpace& space = residuals.space();
    const std::size_t p = space.size();
    std::vector<Stencil> stencils;
    for (std::size_t j = 0; j < p; ++j) {
        const BoundedMap& m = space.map(j);
        stencils.push_back(
            stencil_for(differences, step * space.typical(j, s[j]), s[j] - m.lower, m.upper - s[j]));
    }

    Matrix jac(residuals.size(), p);
    const auto set_column = [&](std::size_t j, const Stencil& st,
                                std::span<const std::optional<std::vector<double>>> r) {
        for (std::size_t i = 0; i < residuals.size(); ++i) {
            double sum = st.centre * r0[i];
            for (std::size_t t = 0; t < st.terms.size(); ++t) sum += st.terms[t].second * (*r[t])[i];
            jac(i, j) = sum / st.h;
        }
    };
    // A column whose evaluations failed is formed by a forward difference from an evaluation that
    // succeeded, or else tried once more on the other side.
    std::vector<std::size_t> pending(p);
    for (std::size_t j = 0; j < p; ++j) pending[j] = j;
    for (int round = 0; round < 2 && !pending.empty(); ++round) {
        std::vector<std::vector<double>> sets;
        for (const std::size_t j : pending) {
            for (const auto& term : stencils[j].terms) {
                std::vector<double> shifted(s.begin(), s.end());
                shifted[j] += term.first * stencils[j].h;
                sets.push_back(std::move(shifted));
            }
        }
        const std::vector<std::optional<std::vector<double>>> values = residuals.at(sets);
        std::vector<std::size_t> failed;
        std::size_t first = 0;
        for (const std::size_t j : pending) {
            const Stencil& st = stencils[j];
            const std::span<const std::optional<std::vector<double>>> r(values.data() + first,
                                                                        st.terms.size());
            first += st.terms.size();
            const auto good = std::find_if(r.begin(), r.end(), [](const auto& v) { return v.has_value(); });
            if (good == r.end()) {
                const double room =
                    st.terms.front().first > 0.0 ? s[j] - space.map(j).lower : space.map(j).upper - s[j];
                if (room > 0.0) {
                    stencils[j] = forward(std::min(st.h, room), st.terms.front().first > 0.0 ? -1.0 : 1.0);
                    failed.push_back(j);
                } else {
                    failed.push_back(j);
                    stencils[j].terms.clear();
                }
                continue;
            }
            if (std::all_of(r.begin(), r.end(), [](const auto& v) { return v.has_value(); })) {
                set_column(j, st, r);
                continue;
            }
            const double offset = st.terms[static_cast<std::size_t>(good - r.begin())].first;
            const Stencil simple = forward(std::fabs(offset) * st.h, offset > 0.0 ? 1.0 : -1.0);
            set_column(j, simple, std::span(&*good, 1));
        }
        pending = failed;
        if (std::any_of(pending.begin(), pending.end(),
                        [&](std::size_t j) { return stencils[j].terms.empty(); }))
            return std::nullopt;
    }
    if (!pending.empty()) return std::nullopt;
    return jac;
}

}  // namespace colfit
