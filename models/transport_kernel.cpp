#include "models/transport_kernel.hpp"

#include <cmath>

namespace models {

double transport_kernel(const colloidm::State& s, double tau) {
    const double e1 = std::exp(((s.h - s.a) - s.u * s.u / (4.0 * s.d)) * tau - s.x * s.x / (4.0 * s.d * tau));
    const double e2 = std::exp(s.u * s.x / (2.0 * s.d) + (s.h - s.a) * tau);
    const double f = std::erfc(std::sqrt(tau / s.d) * (s.u / 2.0) + s.x / (2.0 * std::sqrt(s.d * tau)));
    return e1 / std::sqrt(s.pi * tau) - (s.u / (2.0 * std::sqrt(s.d))) * e2 * f;
}

}  // namespace models
