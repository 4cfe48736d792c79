#pragma once
// The data of a sorption run: the measured series, the parameters of the rate law, and the index
// of the output time the integrator is advancing to.

#include <array>
#include <cstdint>
#include <vector>

namespace models::globalvars {

struct SorptionRun {
    std::vector<double> timevector;  // the first number of each data line: the time t
    std::vector<double> cexpvector;  // the second number: the solute concentration C
    std::array<double, 9> par{};     // par1 ... par9, input lines 2 to 10
    std::int32_t it = 0;             // 1-based index of the output time being integrated to
    std::int32_t type_code = 0;      // the sorption type truncated toward zero
    // ISTATE as the integrator left it after its last call: 2 after a success, negative after a
    // failure on the last interval (a failure before it ends the program); 0 when nothing was
    // integrated.
    std::int32_t istate = 0;
};

}  // namespace models::globalvars
