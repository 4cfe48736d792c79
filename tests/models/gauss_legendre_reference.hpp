#pragma once
// A reference integrator for the model tests, independent of the quadrature drivers: composite
// Gauss-Legendre rules in long double over equal panels. For smooth integrands its error falls far
// below that of a double-precision adaptive integration at the tightest tolerances.

#include <cmath>
#include <cstddef>
#include <vector>

namespace test_reference {

class GaussLegendre {
  public:
    explicit GaussLegendre(int points) {
        const long double pi = 3.141592653589793238462643383279502884L;
        for (int i = 1; i <= points; ++i) {
            long double z = std::cos(pi * (i - 0.25L) / (points + 0.5L));
            long double derivative = 0.0L;
            for (int iteration = 0; iteration < 100; ++iteration) {
                long double p0 = 1.0L;
                long double p1 = z;
                for (int k = 2; k <= points; ++k) {
                    const long double p2 = ((2.0L * k - 1.0L) * z * p1 - (k - 1.0L) * p0) / k;
                    p0 = p1;
                    p1 = p2;
                }
                derivative = points * (z * p1 - p0) / (z * z - 1.0L);
                const long double step = p1 / derivative;
                z -= step;
                if (std::fabs(step) < 1e-19L) break;
            }
            nodes_.push_back(z);
            weights_.push_back(2.0L / ((1.0L - z * z) * derivative * derivative));
        }
    }

    // The integral of f over [a, b], split into `panels` equal panels.
    template <typename F>
    long double integrate(F&& f, long double a, long double b, int panels) const {
        const long double width = (b - a) / panels;
        long double sum = 0.0L;
        for (int p = 0; p < panels; ++p) {
            const long double mid = a + (p + 0.5L) * width;
            long double panel = 0.0L;
            for (std::size_t k = 0; k < nodes_.size(); ++k)
                panel += weights_[k] * f(mid + 0.5L * width * nodes_[k]);
            sum += 0.5L * width * panel;
        }
        return sum;
    }

  private:
    std::vector<long double> nodes_;
    std::vector<long double> weights_;
};

}  // namespace test_reference
