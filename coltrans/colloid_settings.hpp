#pragma once
// The settings of a colloid-mode run, as input.txt gives them on its first sixteen lines, and the
// transport model they describe.

#include <array>
#include <cstdint>

#include "models/colloid_model.hpp"

namespace coltrans {

// The two colloid models. They read the same lines; lines 7 and 10 mean different things.
enum class ColloidFamily {
    instantaneous,  // modes 0, 2, 4, 6, 8, 10: line 7 is A0, line 10 is mi
    broad_pulse,    // modes 1, 3, 5, 7, 9, 11: line 7 is tp, line 10 is Conc0
};

struct ColloidSettings {
    float sim_mode = 0.0f;   // line 1, only archived
    double d = 0.0;          // line 2: hydrodynamic dispersion coefficient [cm^2/hr]
    double kc = 0.0;         // line 3: clogging rate constant [1/hr]
    double kr = 0.0;         // line 4: declogging rate constant [1/hr]
    double lamda = 0.0;      // line 5: inactivation constant of suspended viruses [1/hr]
    double u = 0.0;          // line 6: average interstitial velocity [cm/hr]
    double line7 = 0.0;      // line 7: cross section area A0, or pulse time tp [hr]
    double theta = 0.0;      // line 8: porosity [-]
    double lamdas = 0.0;     // line 9: inactivation constant of adsorbed viruses [1/hr]
    double line10 = 0.0;     // line 10: source mass rate mi [gr/sec], or source concentration Conc0 [g/cm^3]
    double rh0 = 0.0;        // line 11: bulk density of the solid matrix [g/cm^3]
    double errrel = 0.0;     // line 15: relative accuracy of the quadrature
    double errabs = 0.0;     // line 15: absolute accuracy of the quadrature
    std::int32_t limit = 0;  // line 15: maximum number of subintervals of the quadrature

    // The values of lines 2 to 11, in the order the run archive lists them.
    std::array<double, 10> archived_values() const {
        return {d, kc, kr, lamda, u, line7, theta, lamdas, line10, rh0};
    }
};

// The parameters of lines 2 to 11 as each family reads them: line 7 is A0 or tp, line 10 mi or Conc0.
models::InstantaneousParameters instantaneous_parameters(const ColloidSettings& settings);
models::BroadPulseParameters broad_pulse_parameters(const ColloidSettings& settings);

// The model of the family with those parameters and the accuracy of line 15.
models::ColloidModel colloid_model(ColloidFamily family, const ColloidSettings& settings);

}  // namespace coltrans
