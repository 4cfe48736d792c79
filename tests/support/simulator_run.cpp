#include "tests/support/simulator_run.hpp"

namespace test_support {

namespace fs = std::filesystem;

RunLayout::RunLayout(const std::string& input, bool archive_folder, const std::string& run_name) {
    run = dir / run_name;
    fs::create_directories(run);
    if (archive_folder) fs::create_directories(dir / "Saved_Simulations");
    fs::copy_file(built_program("coltrans"), run / "coltrans");
    write_file(run / "input.txt", input);
}

ProgramRun RunLayout::start(const std::string& answers, std::string argument0, fs::path cwd) const {
    ProgramOptions options;
    options.executable = run / "coltrans";
    options.argument0 = std::move(argument0);
    options.working_directory = cwd.empty() ? run : cwd;
    options.input = answers;
    return run_program(options);
}

std::string RunLayout::archive() const {
    return read_file(dir / "Saved_Simulations" / "Total_Runs1.txt");
}

std::string RunLayout::print_txt() const {
    return read_file(run / "print.txt");
}

std::vector<std::string> records_of(const std::string& text) {
    std::vector<std::string> records;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            records.push_back(text.substr(start));
            break;
        }
        records.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return records;
}

bool is_fixed_field(std::string_view field, std::size_t width, std::size_t decimals) {
    const std::size_t point = field.find('.');
    if (field.size() != width || point == std::string_view::npos || field.size() - point - 1 != decimals)
        return false;
    const std::size_t first = field.find_first_not_of(' ');
    if (first == point) return false;
    for (std::size_t k = first; k < field.size(); ++k) {
        if (k != point && (field[k] < '0' || field[k] > '9')) return false;
    }
    return true;
}

bool is_time_line(std::string_view line) {
    const std::string head = std::string(20, ' ') + "Total Time of Operations";
    return line.size() == 61 && line.substr(0, 44) == head && is_fixed_field(line.substr(44, 10), 10, 3) &&
           line.substr(54) == " Secs\r\n";
}

bool contains_time_line(const std::string& out) {
    const std::size_t start = out.find(std::string(20, ' ') + "Total");
    return start != std::string::npos && is_time_line(std::string_view(out).substr(start, 61));
}

}  // namespace test_support
