#pragma once
// The scaled complementary error function erfcx(z) = exp(z^2) erfc(z), for products of a large
// exponential and a vanishing erfc that are to be formed without leaving the range of doubles.

namespace numerics {

// exp(z^2) erfc(z). For z >= 0 it falls from 1 to about 1 / (z sqrt(pi)) and never overflows or
// underflows; for negative z it grows like 2 exp(z^2) and overflows below about -26.6. NaN gives NaN.
double erfcx(double z);

// 1 - sqrt(pi) z erfcx(z) for z >= 0: falls from 1 to about 1 / (2 z^2). Formed from erfcx up to
// z = 26 (about 3 digits lost to the subtraction at most) and from the continued fraction beyond,
// where nothing is lost.
double erfcx_complement(double z);

}  // namespace numerics
