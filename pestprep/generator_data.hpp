#pragma once
// What the generator reads from SystemFiles and hands to its writers.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace pestprep {

// The number of calibration parameters: one record of ParsToFit.txt, one marker of the template
// and one parameter line of the control file each.
inline constexpr std::size_t kParameterCount = 12;
// Positions (from 0) of the inactivation constant Kirr and of l2, the parameter tied to it.
inline constexpr std::size_t kKirrIndex = 3;
inline constexpr std::size_t kL2Index = 7;

// Fit flag of an estimated parameter (for l2: tied to Kirr); any other value fixes the parameter.
inline constexpr std::int32_t kEstimated = 1;

// The twelve records of ParsToFit.txt, in file order.
struct ParsToFit {
    std::array<double, kParameterCount> parvalue{};
    std::array<std::int32_t, kParameterCount> parfitflag{};
    std::array<double, kParameterCount> parboundarymin{};
    std::array<double, kParameterCount> parboundarymax{};
};

// The tie of l2 to Kirr: a flag of 1 for l2 ties it to Kirr, at the ratio of their initial values,
// only while Kirr is estimated; otherwise l2 is fixed and its flag becomes 0.
inline void untie_l2_unless_kirr_estimated(ParsToFit& pars) {
    if (pars.parfitflag[kKirrIndex] != kEstimated) pars.parfitflag[kL2Index] = 0;
}
inline bool l2_tied_to_kirr(const ParsToFit& pars) {
    return pars.parfitflag[kKirrIndex] == kEstimated && pars.parfitflag[kL2Index] == kEstimated;
}

// The observations, observation i at index i - 1 of every array.
struct Observations {
    std::vector<double> cexpvector;    // measured concentration (ExpData.txt, first value)
    std::vector<double> weightvector;  // weight (ExpData.txt, second value)
    std::vector<double> tvector;       // time (TimeAndCoords.txt, first value)
    std::vector<double> xvector;       // position (TimeAndCoords.txt, second value)
};

// The two generators differ only in where a parameter line's change limit comes from.
enum class ChangeLimit {
    from_bounds,     // pestprep: "relative" when the bounds have opposite signs, else "factor"
    kept_from_file,  // pestprep_keeplim: the change limit of the existing parameter line
};

}  // namespace pestprep
