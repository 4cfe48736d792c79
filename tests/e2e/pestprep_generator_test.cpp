// The generators as users run them: every file of the run directory compared byte for byte.
#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "tests/e2e/pestprep_run_directory.hpp"

namespace {

using pestprep_e2e::RunDirectory;

const std::vector<std::string> kNames{"Dcx", "R1", "R2", "Kirr", "U",  "tp",
                                      "th",  "l2", "C0", "M0",   "A0", "SimMode"};

std::string lines(const std::vector<std::string>& records, std::string_view end = "\r\n") {
    std::string text;
    for (const std::string& record : records) text.append(record).append(end);
    return text;
}

std::string columns(std::string text, std::size_t width) {
    text.resize(width, ' ');
    return text;
}
std::string col500(const std::string& text) {
    return columns(text, 500);
}

// ES15.7, with a three-digit exponent written with its letter and six decimals.
std::string es(double value) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%15.7E", value);
    const std::string text(buffer);
    if (text.size() - text.find('E') > 4) std::snprintf(buffer, sizeof buffer, "%15.6E", value);
    return buffer;
}

std::string weight(double value) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%15.7f", value);
    return buffer;
}

struct Parameter {
    double value;
    int flag;
    double lower, upper;
};

// A small calibration: twelve parameters, a few observations, a control file written by hand.
struct System {
    std::vector<Parameter> pars{{1.5, 1, 0.01, 50},  {0.05, 1, 1e-5, 5},  {0.002, 1, 1e-6, 1},
                                {0.03, 1, 1e-5, 1},  {4.0, 0, 0.1, 100},  {4.0, 0, 0.1, 48},
                                {0.38, 0, 0.1, 0.7}, {0.015, 1, 1e-6, 1}, {1e-3, 0, 1e-6, 1},
                                {2e-3, 0, 1e-6, 1},  {19.63, 0, 1, 1000}, {1, 0, 0, 11}};
    std::vector<std::array<double, 2>> data{{2.5e-4, 1.0}, {3.75e-4, 250.0}, {1.0e-110, 2.0e7}};
    std::vector<std::array<double, 2>> points{{8.0, 30.0}, {9.5, 30.0}, {11.0, 30.0}};
    // Lines 1 to 3 keep their bytes, whatever their line ends and lengths.
    std::string head = "pcf\n* control data   # " + std::string(600, '-') + "\r\nrestart estimation\n";
    std::vector<std::string> parameter_lines;

    System() {
        for (std::size_t r = 0; r < kNames.size(); ++r) {
            parameter_lines.push_back(kNames[r] + "  " +
                                      (pars[r].flag == 1 ? (r == 7 ? "tied" : "none") : "fixed") +
                                      "  factor  1.0  0.1  10.0  g" + kNames[r] + "  1.0  0.0  1");
        }
    }

    std::vector<std::string> body() const {
        std::vector<std::string> all{"    12     9    12     0     1",
                                     "    1     1 single point 1 0 0",
                                     "  5.0   2.0   0.3  0.01    10",
                                     "  5.0   5.0  0.001",
                                     "  0.1",
                                     "  30  0.005  4  4  0.005  4",
                                     "  1  1  1",
                                     "* parameter groups"};
        for (const std::string& name : kNames)
            all.push_back("g" + name + "  relative 0.01 0.0 switch 2.0 parabolic");
        all.push_back("* parameter data");
        all.insert(all.end(), parameter_lines.begin(), parameter_lines.end());
        for (const char* line : {"l2  Kirr", "* observation groups", "conc", "* observation data",
                                 "cn1 1.0 1.0 conc", "cn9 1.0 1.0 conc", "* model command line", "./coltrans",
                                 "* model input/output", "input.tpl  input.txt", "print.ins  print.txt"}) {
            all.push_back(line);
        }
        return all;
    }

    void install(const RunDirectory& run) const {
        std::string pars_text = "value  flag  lower  upper  label\n";
        for (std::size_t r = 0; r < pars.size(); ++r) {
            char buffer[200];
            std::snprintf(buffer, sizeof buffer, "%.17g %d %.17g %.17g '%s, the label'\n", pars[r].value,
                          pars[r].flag, pars[r].lower, pars[r].upper, kNames[r].c_str());
            pars_text += buffer;
        }
        run.write("SystemFiles/ParsToFit.txt", pars_text);
        std::string exp = "C  weight\r\n", coords = "t  x\r\n";
        for (const auto& [c, w] : data) exp += format_pair(c, w);
        for (const auto& [t, x] : points) coords += format_pair(t, x);
        run.write("SystemFiles/ExpData.txt", exp);
        run.write("SystemFiles/TimeAndCoords.txt", coords);
        run.write("tracer_fit.pst", head + lines(body()));
    }

    static std::string format_pair(double a, double b) {
        char buffer[100];
        std::snprintf(buffer, sizeof buffer, "%.17g  %.17g\r\n", a, b);
        return buffer;
    }

    // What the generator makes of this system.
    std::string expected_control(bool keep_limit = false) const {
        const std::vector<std::string> old = body();
        std::string text = head;
        char counts[64];
        std::snprintf(counts, sizeof counts, "%6d%6d%6d%6d%6d", 12, static_cast<int>(data.size()), 12, 0, 1);
        text += std::string(counts) + "\r\n";
        for (std::size_t k = 1; k <= 20; ++k) text += col500(old[k]) + "\r\n";
        const bool kirr_estimated = pars[3].flag == 1;
        for (std::size_t r = 0; r < pars.size(); ++r) {
            const Parameter& p = pars[r];
            const bool tied = r == 7 && p.flag == 1 && kirr_estimated;
            const char* transform = p.flag != 1 || (r == 7 && !tied) ? "  fixed   "
                                    : tied                           ? "   tied   "
                                                                     : "   none   ";
            const bool opposite = (p.lower < 0 && p.upper > 0) || (p.lower > 0 && p.upper < 0);
            const std::string limit = keep_limit ? "factor" : opposite ? "relative" : "factor";
            char line[400];
            std::snprintf(line, sizeof line, "%-10.10s%s%-20s   %s    %s    %s    %-20s%-20s%-20s%-20s",
                          kNames[r].c_str(), transform, limit.c_str(), es(p.value).c_str(),
                          es(p.lower).c_str(), es(p.upper).c_str(), ("g" + kNames[r]).c_str(), "1.0", "0.0",
                          "1");
            text += std::string(line) + "\r\n";
        }
        if (pars[7].flag == 1 && kirr_estimated) text += "l2 Kirr\r\n";
        text += col500("* observation groups") + "\r\n" + columns("conc", 30) + "\r\n" +
                col500("* observation data") + "\r\n";
        for (std::size_t i = 0; i < data.size(); ++i) {
            char line[200];
            const std::string name = "cn" + std::to_string(i + 1);
            std::snprintf(
                line, sizeof line, "%33s   %s   %s     %-30s", name.c_str(), es(data[i][0]).c_str(),
                weight(data[i][1]).size() > 15 ? es(data[i][1]).c_str() : weight(data[i][1]).c_str(), "conc");
            text += std::string(line) + "\r\n";
        }
        text += " * model command line\r\n";
        for (std::size_t k = old.size() - 4; k < old.size(); ++k) text += col500(old[k]) + "\r\n";
        return text;
    }

    std::string expected_backup() const {
        std::string text;
        for (const std::string& line : {std::string("pcf"), "* control data   # " + std::string(600, '-'),
                                        std::string("restart estimation")}) {
            text += col500(line) + "\r\n";
        }
        for (const std::string& line : body()) text += col500(line) + "\r\n";
        return text;
    }

    std::string expected_instructions() const {
        std::string text = "pif #\r\n l4\t!dum!\t!dum!\t!cn1!\r\n";
        for (std::size_t i = 2; i <= data.size(); ++i)
            text += " l1\t!dum!\t!dum!\t!cn" + std::to_string(i) + "!\r\n";
        return text;
    }

    std::string expected_template_points() const {
        std::string text;
        for (const auto& [t, x] : points) text += es(t) + "   " + es(x) + "\r\n";
        return text;
    }
};

const std::string kSuccessConsole =
    " Unix type system, directory separator found\r\n  Pest interface Started\r\n End reached "
    "successfully\r\n"
    " Press any button to exit\r\n";

// The template up to its point lines.
std::string template_heading(const RunDirectory& run) {
    const std::string text = run.read("input.tpl");
    const std::size_t end = text.find(" t (Time),      x(X coordinate)");
    return text.substr(0, text.find("\r\n", end) + 2);
}

void expect_generated(const RunDirectory& run, const System& system, bool keep_limit = false) {
    const auto files = run.files();
    ASSERT_EQ(files.size(), 8u);
    EXPECT_EQ(files.at("tracer_fit.pst"), system.expected_control(keep_limit));
    EXPECT_EQ(files.at("tracer_fit_pst_temp.txt"), system.expected_backup());
    EXPECT_EQ(files.at("print.ins"), system.expected_instructions());
    const std::string heading = template_heading(run);
    EXPECT_EQ(heading.size(), 7u + 16 * 203);
    EXPECT_EQ(files.at("input.tpl"), heading + system.expected_template_points());
    EXPECT_EQ(files.at("tracer_fit.rec"), "");
}

TEST(Pestprep, GeneratesTheThreePestFiles) {
    RunDirectory run;
    const System system;
    system.install(run);
    const auto inputs = run.files();
    const auto result = run.run();
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, kSuccessConsole);
    EXPECT_EQ(result.err, "");
    expect_generated(run, system);
    for (const char* input :
         {"SystemFiles/ParsToFit.txt", "SystemFiles/TimeAndCoords.txt", "SystemFiles/ExpData.txt"}) {
        EXPECT_EQ(run.files().at(input), inputs.at(input));
    }
}

TEST(Pestprep, AStartingValueOutsideItsBoundsIsNamedInAWarning) {
    System system;
    system.pars[1] = {1e-6, 1, 1e-5, 5};  // below its bounds
    system.pars[5] = {60.0, 0, 0.1, 48};  // above them, fixed
    system.pars[6] = {0.7, 0, 0.1, 0.7};  // at a bound: within
    for (const std::string program : {"pestprep", "pestprep_keeplim"}) {
        RunDirectory run(program);
        system.install(run);
        const auto result = run.run();
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(result.out, kSuccessConsole);
        EXPECT_EQ(
            result.err,
            "Warning: the starting value 1.0000000E-06 of parameter R1 (record 2 of ParsToFit.txt) lies "
            "outside its bounds 1.0000000E-05 to 5.0000000E+00; the calibration engine will refuse the "
            "control file until it lies within them\r\n"
            "Warning: the starting value 6.0000000E+01 of parameter tp (record 6 of ParsToFit.txt) lies "
            "outside its bounds 1.0000000E-01 to 4.8000000E+01; the calibration engine will refuse the "
            "control file until it lies within them\r\n");
        expect_generated(run, system, program == "pestprep_keeplim");
    }
}

TEST(Pestprep, RunningTwiceGivesTheSameFiles) {
    RunDirectory run;
    System system;
    system.parameter_lines[6] = "th fixed factor 1 0 1 g2345678901234567890 1.0 0.0 1";
    system.install(run);
    ASSERT_EQ(run.run().status, 0);
    auto first = run.files();
    const auto second_run = run.run();
    EXPECT_EQ(second_run.status, 0) << second_run.err;
    auto second = run.files();
    // The back-up now holds the first run's control file.
    EXPECT_EQ(second.at("tracer_fit_pst_temp.txt").substr(0, 1506), system.expected_backup().substr(0, 1506));
    first.erase("tracer_fit_pst_temp.txt");
    second.erase("tracer_fit_pst_temp.txt");
    EXPECT_EQ(first, second);
}

TEST(Pestprep, ZeroObservations) {
    RunDirectory run;
    System system;
    system.data.clear();
    system.points.clear();
    system.install(run);
    const auto result = run.run();
    EXPECT_EQ(result.status, 0) << result.err;
    expect_generated(run, system);
    EXPECT_EQ(run.read("print.ins"), "pif #\r\n l4\t!dum!\t!dum!\t!cn1!\r\n");
}

TEST(Pestprep, BlankLinesAndRecordsOverTwoLines) {
    RunDirectory run;
    System system;
    system.install(run);
    run.write("SystemFiles/ExpData.txt",
              "C weight\n\n2.5e-4 1.0\n\n3.75e-4\n250\n1e-110, 2e7 and a comment\n\n\n");
    run.write("SystemFiles/TimeAndCoords.txt", "\n8 30\n9.5\t30\n  11.0 30.0 0.0\n");
    EXPECT_EQ(run.run().status, 0);
    expect_generated(run, system);
}

TEST(PestprepKeeplim, KeepsTheChangeLimitOfTheControlFile) {
    System system;
    system.pars[0] = {0.5, 1, -1, 1};
    system.pars[1] = {0.5, 1, 0, 1};
    system.pars[2] = {-1.5, 1, -2, -1};
    RunDirectory generator;
    system.install(generator);
    EXPECT_EQ(generator.run().status, 0);
    expect_generated(generator, system);
    EXPECT_NE(generator.read("tracer_fit.pst").find("\r\nDcx          none   relative  "), std::string::npos);

    RunDirectory keeplim("pestprep_keeplim");
    system.install(keeplim);
    const auto result = keeplim.run();
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, kSuccessConsole);
    expect_generated(keeplim, system, true);
}

}  // namespace

namespace {

TEST(PestprepInfo, HelpAndVersionTouchNoFile) {
    for (const std::string program : {"pestprep", "pestprep_keeplim"}) {
        for (const char* argument : {"--help", "--version"}) {
            pestprep_e2e::RunDirectory dir(program);
            test_support::ProgramOptions options;
            options.executable = dir / program;
            options.arguments = {argument};
            const auto run = test_support::run_program(options);
            EXPECT_EQ(run.status, 0);
            EXPECT_NE(run.out.find(program), std::string::npos);
            EXPECT_TRUE(dir.files().empty()) << program << " " << argument;
        }
    }
}

}  // namespace
