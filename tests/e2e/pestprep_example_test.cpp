// The calibration example: the generator run on examples/calibration as a user runs it, its files
// compared with the reviewed ones, and the control file read back as PEST reads it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <sstream>
#include <vector>

#include "tests/e2e/pestprep_run_directory.hpp"

namespace {

using pestprep_e2e::RunDirectory;

const std::filesystem::path kExample =
    std::filesystem::path(CT_SOURCE_DIR) / "examples" / "calibration" / "run";
const std::filesystem::path kExpected =
    std::filesystem::path(CT_SOURCE_DIR) / "examples" / "calibration" / "expected";

void install_example(const RunDirectory& run) {
    std::filesystem::copy(
        kExample, run.path(),
        std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing);
}

std::vector<std::string> split_lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> out;
    for (std::string word; in >> word;) out.push_back(word);
    return out;
}

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

// Whether a word is a Fortran real: sign, digits with or without a point, and an exponent that
// has its letter.
bool is_fortran_real(const std::string& word) {
    std::size_t p = 0;
    const auto digits = [&] {
        const std::size_t start = p;
        while (p < word.size() && std::isdigit(static_cast<unsigned char>(word[p]))) ++p;
        return p - start;
    };
    if (p < word.size() && (word[p] == '+' || word[p] == '-')) ++p;
    std::size_t mantissa = digits();
    if (p < word.size() && word[p] == '.') {
        ++p;
        mantissa += digits();
    }
    if (mantissa == 0) return false;
    if (p == word.size()) return true;
    if (std::string("eEdD").find(word[p]) == std::string::npos) return false;
    ++p;
    if (p < word.size() && (word[p] == '+' || word[p] == '-')) ++p;
    return digits() > 0 && p == word.size();
}

// A number as PEST reads it.
double pest_real(const std::string& word) {
    EXPECT_TRUE(is_fortran_real(word)) << "not readable by PEST: " << word;
    std::string text = word;
    std::replace(text.begin(), text.end(), 'd', 'e');
    std::replace(text.begin(), text.end(), 'D', 'e');
    return std::strtod(text.c_str(), nullptr);
}

// The texts between pairs of a delimiter, from `from` on, lower case and without trailing blanks.
std::set<std::string> delimited(const std::string& text, char delimiter, std::size_t from) {
    std::set<std::string> out;
    for (std::size_t open = text.find(delimiter, from); open != std::string::npos;) {
        const std::size_t close = text.find(delimiter, open + 1);
        if (close == std::string::npos) break;
        std::string name = text.substr(open + 1, close - open - 1);
        name.erase(name.find_last_not_of(' ') + 1);
        out.insert(lower(name));
        open = text.find(delimiter, close + 1);
    }
    return out;
}

// The sections of a control file: heading -> lines split into words, blank lines dropped.
std::map<std::string, std::vector<std::vector<std::string>>> sections(const std::string& text,
                                                                      std::vector<std::string>& order) {
    std::map<std::string, std::vector<std::vector<std::string>>> out;
    std::string current;
    const std::vector<std::string> lines = split_lines(text);
    EXPECT_EQ(lines.at(0), "pcf");
    for (std::size_t k = 1; k < lines.size(); ++k) {
        const std::vector<std::string> w = words(lines[k]);
        if (w.empty()) continue;
        if (w[0][0] == '*') {
            current.clear();
            for (const std::string& part : w) current += (current.empty() ? "" : " ") + part;
            current.erase(0, current.find_first_not_of("* "));
            order.push_back(current);
            continue;
        }
        out[current].push_back(w);
    }
    return out;
}

// What PEST requires of a control file, its template and its instruction file.
void expect_valid_for_pest(const RunDirectory& run) {
    std::vector<std::string> order;
    auto s = sections(run.read("tracer_fit.pst"), order);
    ASSERT_EQ(order, (std::vector<std::string>{"control data", "parameter groups", "parameter data",
                                               "observation groups", "observation data", "model command line",
                                               "model input/output"}));
    const auto& control = s["control data"];
    ASSERT_EQ(control.size(), 8u);
    EXPECT_EQ(control[0], (std::vector<std::string>{"restart", "estimation"}));
    const int npar = std::stoi(control[1][0]), nobs = std::stoi(control[1][1]),
              npargp = std::stoi(control[1][2]), nprior = std::stoi(control[1][3]),
              nobsgp = std::stoi(control[1][4]);
    EXPECT_EQ(nprior, 0);

    std::set<std::string> groups;
    for (const auto& g : s["parameter groups"]) {
        ASSERT_EQ(g.size(), 7u);
        EXPECT_LE(g[0].size(), 12u);
        EXPECT_TRUE(groups.insert(lower(g[0])).second) << "duplicate group " << g[0];
        EXPECT_GT(pest_real(g[2]), 0.0);
    }
    EXPECT_EQ(static_cast<int>(groups.size()), npargp);

    std::map<std::string, std::vector<std::string>> pars;
    std::vector<std::vector<std::string>> ties;
    for (const auto& p : s["parameter data"]) {
        if (p.size() == 2) {
            ties.push_back(p);
            continue;
        }
        ASSERT_EQ(p.size(), 10u);
        EXPECT_LE(p[0].size(), 12u);
        const std::string& transform = p[1];
        EXPECT_TRUE(transform == "none" || transform == "log" || transform == "fixed" || transform == "tied");
        EXPECT_TRUE(p[2] == "relative" || p[2] == "factor");
        const double value = pest_real(p[3]), lb = pest_real(p[4]), ub = pest_real(p[5]);
        EXPECT_LE(lb, value) << p[0];
        EXPECT_LE(value, ub) << p[0];
        if (transform == "none" || transform == "log") {
            EXPECT_LT(lb, ub) << p[0];
            if (p[2] == "factor") {
                EXPECT_GT(lb * ub, 0.0) << "a factor-limited parameter needs same-sign bounds";
            }
        }
        EXPECT_TRUE(groups.count(lower(p[6]))) << p[0] << " in an unknown group";
        EXPECT_NE(pest_real(p[7]), 0.0);
        pest_real(p[8]);
        pars[lower(p[0])] = p;
    }
    EXPECT_EQ(static_cast<int>(pars.size()), npar);
    std::size_t tied = 0;
    for (const auto& [name, p] : pars) tied += p[1] == "tied";
    EXPECT_EQ(ties.size(), tied);
    for (const auto& tie : ties) {
        ASSERT_TRUE(pars.count(lower(tie[0])) && pars.count(lower(tie[1])));
        EXPECT_EQ(pars[lower(tie[0])][1], "tied");
        const std::string& parent = pars[lower(tie[1])][1];
        EXPECT_TRUE(parent == "none" || parent == "log")
            << "the parent of a tied parameter must be estimated";
    }

    std::set<std::string> obs_groups;
    for (const auto& g : s["observation groups"]) obs_groups.insert(lower(g.at(0)));
    EXPECT_EQ(static_cast<int>(obs_groups.size()), nobsgp);
    std::set<std::string> observations;
    for (const auto& o : s["observation data"]) {
        ASSERT_EQ(o.size(), 4u);
        EXPECT_LE(o[0].size(), 20u);
        EXPECT_TRUE(observations.insert(lower(o[0])).second);
        pest_real(o[1]);
        EXPECT_GE(pest_real(o[2]), 0.0);
        EXPECT_TRUE(obs_groups.count(lower(o[3])));
    }
    EXPECT_EQ(static_cast<int>(observations.size()), nobs);
    EXPECT_EQ(s["model command line"].size(), 1u);
    EXPECT_EQ(s["model input/output"], (std::vector<std::vector<std::string>>{{"input.tpl", "input.txt"},
                                                                              {"print.ins", "print.txt"}}));
    EXPECT_EQ(control[2][0], "1");
    EXPECT_EQ(control[2][1], "1");

    // Every parameter has its marker in the template, every observation its instruction.
    const std::string tpl = run.read("input.tpl");
    EXPECT_EQ(tpl.substr(0, 7), "ptf #\r\n");
    const std::set<std::string> markers = delimited(tpl, '#', 7);
    std::set<std::string> names;
    for (const auto& [name, p] : pars) names.insert(name);
    EXPECT_EQ(markers, names);
    const std::string ins = run.read("print.ins");
    EXPECT_EQ(ins.substr(0, 7), "pif #\r\n");
    std::set<std::string> read = delimited(ins, '!', 7);
    read.erase("dum");
    EXPECT_EQ(read, observations);
}

TEST(CalibrationExample, TheHandWrittenControlFileIsValid) {
    RunDirectory run;
    install_example(run);
    ASSERT_EQ(run.run().status, 0);
    test_support::write_file(run / "tracer_fit.pst", test_support::read_file(kExample / "tracer_fit.pst"));
    expect_valid_for_pest(run);
}

TEST(CalibrationExample, GeneratesTheReviewedFiles) {
    RunDirectory run;
    install_example(run);
    const auto inputs = run.files();
    const auto result = run.run();
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out,
              " Unix type system, directory separator found\r\n  Pest interface Started\r\n"
              " End reached successfully\r\n Press any button to exit\r\n");
    auto files = run.files();
    EXPECT_EQ(files.size(), inputs.size() + 4);
    // The generated files themselves are compared with examples/calibration/expected/ by
    // Examples.GiveTheirExpectedResults.
    std::string backup;
    for (std::string line : split_lines(inputs.at("tracer_fit.pst"))) {
        line.resize(500, ' ');
        backup += line + "\r\n";
    }
    EXPECT_EQ(files.at("tracer_fit_pst_temp.txt"), backup);
    EXPECT_EQ(files.at("tracer_fit.rec"), "");
    for (const auto& [name, contents] : inputs) {
        if (name != "tracer_fit.pst") {
            EXPECT_EQ(files.at(name), contents) << name;
        }
    }
    expect_valid_for_pest(run);
}

TEST(CalibrationExample, BothGeneratorsAgreeAndASecondRunChangesNothing) {
    RunDirectory run;
    install_example(run);
    ASSERT_EQ(run.run().status, 0);
    auto first = run.files();
    ASSERT_EQ(run.run().status, 0);
    auto second = run.files();
    EXPECT_EQ(second.at("tracer_fit_pst_temp.txt").size(),
              split_lines(first.at("tracer_fit.pst")).size() * 502);
    first.erase("tracer_fit_pst_temp.txt");
    second.erase("tracer_fit_pst_temp.txt");
    EXPECT_EQ(first, second);

    RunDirectory keeplim("pestprep_keeplim");
    install_example(keeplim);
    ASSERT_EQ(keeplim.run().status, 0);
    EXPECT_EQ(keeplim.read("tracer_fit.pst"), test_support::read_file(kExpected / "tracer_fit.pst"));
}

}  // namespace
