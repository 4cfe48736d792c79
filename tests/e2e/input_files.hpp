#pragma once
// Inputs of the programs as users write them, for the tests that feed the programs bad input, kill
// them or run them on long point lists.

#include <array>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/temp_dir.hpp"

namespace e2e_inputs {

// The settings of a colloid run (lines 1 to 16): mode, D, kc, kr, lamda, U, A0 or tp, Theta,
// lamdas, mi or Conc0, rh0.
struct ColloidSettings {
    std::string mode = "0";
    std::array<std::string, 10> values = {"0.5",  "0.05", "0.01",  "0.002", "2.0",
                                          "20.0", "0.35", "0.001", "1.0",   "1.7"};
    std::string accuracy = "1.0E-6 1.0E-12 300 0";

    std::string text() const {
        std::string text = mode + "   ! SimMode\n";
        for (const std::string& value : values) text += value + "   ! setting\n";
        return text + "0\n0\ntitle\n" + accuracy + "   ! accuracy, limit, pacing\nt x\n";
    }
};

// Indexes of ColloidSettings::values.
enum ColloidValue { kD = 0, kKc = 1, kLine7 = 5, kTheta = 6, kRh0 = 9 };

// The settings of a sorption run (lines 1 to 16): the type and parameters 1 to 9.
inline std::string sorption_settings(const std::string& type, const std::array<std::string, 9>& pars,
                                     const std::string& tolerances = "1.0E-6 1.0E-9 0 0") {
    std::string text = type + "   ! sorption type\n";
    for (const std::string& par : pars) text += par + "   ! parameter\n";
    return text + "batch\n0\n0\ndescription\n" + tolerances + "   ! tolerances\nt_C\n";
}

// A linear isotherm (type 19, C* = 2 C): no integration, so the cost is the files'.
inline std::string linear_isotherm_settings() {
    return sorption_settings("19", {"2", "0", "0", "0", "0", "0", "0", "0", "0"});
}

// The point lines "t x" of count points at one position, times step, 2 step, ...
inline std::string points_at(double x, int count, double step) {
    std::string text;
    for (int k = 1; k <= count; ++k) text += std::to_string(k * step) + "  " + std::to_string(x) + "\n";
    return text;
}

// Writes settings and count point lines to a file without holding them all in memory; line k
// (from 0) is line(k).
template <typename Line>
void write_long_file(const std::filesystem::path& path, const std::string& head, long count, Line line) {
    std::ofstream out(path, std::ios::binary);
    out << head;
    for (long k = 0; k < count; ++k) out << line(k);
}

}  // namespace e2e_inputs
