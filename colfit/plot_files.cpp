// The gnuplot script of the fit's picture, and drawing it.
#include "colfit/plot_files.hpp"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "common/edit_descriptors.hpp"
#include "common/format.hpp"

extern char** environ;

namespace colfit {
namespace {

std::string quoted(std::string_view text) {
    std::string out("\"");
    for (const char c : text) {
        if (c == '"' || c == '\\') out.push_back('\\');
        out.push_back(c);
    }
    out.push_back('"');
    return out;
}

}  // namespace

std::vector<std::string> plot_script_records(const FitReport& report, const std::vector<DenseCurve>& curves) {
    const bool sorption = report.problem.family == Family::sorption;
    const std::string quantity = sorption ? "sorbed concentration C*" : "concentration C [g/cm^3]";
    std::vector<std::string> r{
        "# The fit of " + std::string(family_name(report.problem.family)) +
            " written by colfit: gnuplot fit.gp in the run directory redraws fit.png.",
        "set terminal pngcairo size 1000,800 enhanced font 'DejaVu Sans,12' linewidth 1.5",
        "set output 'fit.png'",
    };
    r.push_back("$fitted << EOD");
    const common::Format point("(ES24.15E3,ES24.15E3)");
    for (std::size_t k = 0; k < curves.size(); ++k) {
        if (k > 0) {
            r.emplace_back();
            r.emplace_back();
        }
        for (std::size_t i = 0; i < curves[k].t.size(); ++i)
            r.push_back(point.apply({curves[k].t[i], curves[k].value[i]}));
    }
    r.push_back("EOD");
    const std::string title =
        "colfit: " + std::string(family_name(report.problem.family)) + " (SimMode " +
        common::edit_shortest(report.problem.parameters[kSimModeIndex].initial) +
        "), phi = " + short_number(report.result.solution.phi) + ", RMSE = " + short_number(report.rmse) +
        ", R^2 = " + fixed_number(report.r_squared, 5) + (report.result.converged() ? "" : ", NOT CONVERGED");
    for (const std::string_view line : {
             "set multiplot layout 2,1",
             "set grid lc rgb '#d0d0d0'",
             "set format y '%g'",
             "set lmargin 12",
             "set size 1,0.68",
             "set origin 0,0.32",
             "set key top right box opaque",
             "set offsets 0, 0, graph 0.05, graph 0.05",
             "unset xlabel",
         })
        r.emplace_back(line);
    double last = 0.0;
    for (const Observation& o : report.problem.observations) last = std::max(last, o.t);
    r.push_back("set xrange [" + common::edit_shortest(std::min(0.0, report.problem.observations.front().t)) +
                ":" + common::edit_shortest(last) + "]");
    r.push_back("set title " + quoted(title) + " noenhanced");
    r.push_back("set ylabel " + quoted(quantity) + " noenhanced");
    std::string plot =
        "plot 'fit_curve.txt' using 1:3 with points pt 7 ps 1.1 lc rgb '#d62020' title 'measured'";
    for (std::size_t k = 0; k < curves.size(); ++k) {
        const std::string label =
            sorption ? "fitted" : "fitted, x = " + common::edit_shortest(curves[k].x) + " cm";
        plot.append(", $fitted index " + std::to_string(k) + " using 1:2 with lines lw 2 lc " +
                    std::to_string(k + 1) + " title " + quoted(label));
    }
    r.push_back(plot);
    for (const std::string_view line : {
             "set size 1,0.32",
             "set origin 0,0",
             "unset title",
             "set xlabel 'time t [hr]'",
             "set ylabel 'w (measured - fitted)'",
             "set key off",
             "plot 'fit_curve.txt' using 1:($5*$6) with impulses lw 2 lc rgb '#1f5fbf', 0 with lines lc rgb "
             "'#808080'",
             "unset multiplot",
         })
        r.emplace_back(line);
    return r;
}

std::optional<std::string> draw_picture(const std::string& directory) {
    (void)::unlink((directory + "/" + std::string(kPlotPicture)).c_str());  // never leave an old picture
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, directory.c_str());
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    std::string program = "gnuplot";
    std::string script(kPlotScript);
    char* const arguments[] = {program.data(), script.data(), nullptr};
    pid_t pid = 0;
    const int started = posix_spawnp(&pid, program.c_str(), &actions, nullptr, arguments, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (started != 0) return "gnuplot could not be started (" + std::string(std::strerror(started)) + ")";
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return "gnuplot could not be waited for";
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return "gnuplot failed on " + std::string(kPlotScript);
    return std::nullopt;
}

}  // namespace colfit
