#pragma once
// The simulator run as users and calibration engines run it: the program copied into a run
// directory with Saved_Simulations beside it; and readers of what it writes.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/program_runner.hpp"
#include "tests/support/temp_dir.hpp"

namespace test_support {

inline const std::string kSeparatorLine = " Unix type system, directory separator found\r\n";

// The three header records of print.txt, as the two families write them.
inline const std::string kColloidHeader =
    " Below the time t, the potiosion x or C, and the Concetration  C or C*,  can be seen \r\n"
    "    t (Time),      x (Lenght),     C (Concetration)\r\n " +
    std::string(73, '_') + "\r\n";
inline const std::string kSorptionHeader =
    " This is the sorbed concetration output. \r\n"
    "    t (Time),      C (Solute Conce),     C* (adsorb Concet)\r\n " +
    std::string(73, '_') + "\r\n";

// A user's layout: <dir>/run/coltrans and input.txt, <dir>/Saved_Simulations.
struct RunLayout {
    explicit RunLayout(const std::string& input, bool archive_folder = true,
                       const std::string& run_name = "run");
    // Runs the program with the answers on standard input, in the run directory unless cwd is given.
    ProgramRun start(const std::string& answers = "", std::string argument0 = "",
                     std::filesystem::path cwd = {}) const;
    std::string archive() const;
    std::string print_txt() const;

    TempDir dir;
    std::filesystem::path run;
};

// The records of a text whose records end with CR LF.
std::vector<std::string> records_of(const std::string& text);

// A fixed-point field "Fw.d" holding a non-negative number: blanks, digits, the point, d digits.
bool is_fixed_field(std::string_view field, std::size_t width, std::size_t decimals);

// The console time line "(A44,F10.3,A5)", with its line end; and whether a console output holds it.
bool is_time_line(std::string_view line);
bool contains_time_line(const std::string& out);

}  // namespace test_support
