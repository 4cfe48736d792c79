// Benchmark of the sorption mode on measured series of 100, 1 000 and 10 000 data lines, for a
// non-stiff kinetic law and a stiff one: CPU time of the solve alone and of the whole coltrans run
// (process start and files included), per run and per data line, and how they grow with the series.
//
// Usage: sorption_series [seconds per figure, default 1]

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/bench_support.hpp"
#include "models/sorption_solve.hpp"

namespace {

namespace fs = std::filesystem;

struct Law {
    const char* name;
    int type;
    std::array<double, 9> par;
};

// Type 12 with a slow desorption is non-stiff over hours; with a desorption rate of 1e4 per hour it
// is stiff, and the integrator switches to its stiff method.
constexpr Law kLaws[] = {
    {"kinetic (type 12)", 12, {0.35, 0.02, 0.05, 0.01}},
    {"stiff (type 12, fast desorption)", 12, {350.0, 1.0e4, 0.05, 0.01}},
};

// A series of n lines over 72 hours: the solute concentration of a batch experiment with noise-free
// decay towards equilibrium and a slow periodic disturbance.
models::globalvars::SorptionRun series(const Law& law, int n) {
    models::globalvars::SorptionRun run;
    run.type_code = law.type;
    run.par = law.par;
    for (int k = 0; k < n; ++k) {
        const double t = 72.0 * k / (n - 1);
        run.timevector.push_back(t);
        run.cexpvector.push_back(10.0 * (0.45 + 0.55 * std::exp(-0.28 * t)) + 0.2 * std::sin(0.5 * t));
    }
    return run;
}

void write_input(const fs::path& file, const models::globalvars::SorptionRun& run) {
    std::ofstream out(file, std::ios::binary);
    out.precision(17);
    out << run.type_code << "\n";
    for (const double p : run.par) out << p << "\n";
    out << "bench\n0\n0\nbenchmark\n1.0E-6 1.0E-9 0 0\nt_C\n";
    for (std::size_t k = 0; k < run.timevector.size(); ++k)
        out << run.timevector[k] << " " << run.cexpvector[k] << "\n";
}

template <typename Run>
double mean_seconds(double budget, Run&& run) {
    int runs = 0;
    double total = 0.0;
    while (runs < 3 || total < budget) {
        total += run();
        ++runs;
    }
    return total / runs;
}

}  // namespace

int main(int argc, char** argv) {
    const double budget = argc > 1 ? std::atof(argv[1]) : 1.0;
    char pattern[] = "/tmp/sorption-bench-XXXXXX";
    const fs::path scratch = ::mkdtemp(pattern);
    const fs::path run_dir = scratch / "run";
    fs::create_directories(run_dir);
    fs::create_directories(scratch / "Saved_Simulations");
    fs::copy_file(fs::path(CT_BIN_DIR) / "coltrans", run_dir / "coltrans");

    std::printf("%-34s %7s %14s %14s %14s %14s\n", "law", "lines", "solve s/run", "solve us/line",
                "coltrans s/run", "coltrans us/line");
    for (const Law& law : kLaws) {
        double previous_solve = 0.0, previous_program = 0.0;
        for (const int n : {100, 1000, 10000}) {
            const models::globalvars::SorptionRun base = series(law, n);
            // The integrator's messages go to the console; keep them out.
            std::fflush(stdout);
            const int saved = dup(1);
            const int null = ::open("/dev/null", O_WRONLY);
            dup2(null, 1);
            const double solve = mean_seconds(budget, [&] {
                models::globalvars::SorptionRun run = base;
                std::vector<double> cavector(run.timevector.size());
                const double start = bench::cpu_seconds();
                models::adsoodesolvermod::solveode(cavector, run, {1.0e-9, 1.0e-6},
                                                   [](std::int32_t, std::int32_t) {});
                return bench::cpu_seconds() - start;
            });
            std::fflush(stdout);
            dup2(saved, 1);
            ::close(saved);
            ::close(null);
            write_input(run_dir / "input.txt", base);
            const double program = mean_seconds(budget, [&] { return bench::program_cpu_seconds(run_dir); });
            fs::remove(scratch / "Saved_Simulations" / "Total_Runs1.txt");
            std::printf("%-34s %7d %14.6f %14.3f %14.6f %14.3f", law.name, n, solve, 1e6 * solve / n, program,
                        1e6 * program / n);
            if (previous_solve > 0.0) {
                std::printf("   growth x%.1f solve, x%.1f coltrans", solve / previous_solve,
                            program / previous_program);
            }
            std::printf("\n");
            previous_solve = solve;
            previous_program = program;
        }
    }
    fs::remove_all(scratch);
    return 0;
}
