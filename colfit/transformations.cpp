// The log scale and the bounded sine map of the estimated parameters.
#include "colfit/transformations.hpp"

#include <algorithm>
#include <cmath>

namespace colfit {

Scale scale_for_bounds(double lower, double upper) {
    return lower > 0.0 && upper > 0.0 ? Scale::log : Scale::linear;
}

double to_statistical(Scale scale, double value) {
    return scale == Scale::log ? std::log(value) : value;
}

double from_statistical(Scale scale, double s) {
    return scale == Scale::log ? std::exp(s) : s;
}

double value_derivative(Scale scale, double s) {
    return scale == Scale::log ? std::exp(s) : 1.0;
}

double BoundedMap::s_of(double theta) const {
    const double s = lower + (upper - lower) * 0.5 * (1.0 + std::sin(theta));
    return std::clamp(s, lower, upper);
}

double BoundedMap::theta_of(double s) const {
    const double unit = std::clamp(2.0 * (s - lower) / (upper - lower) - 1.0, -1.0, 1.0);
    return std::asin(unit);
}

double BoundedMap::derivative(double theta) const {
    return (upper - lower) * 0.5 * std::cos(theta);
}

}  // namespace colfit
