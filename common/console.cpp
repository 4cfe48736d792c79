#include "common/console.hpp"

#include <string>

#include "common/failure.hpp"

namespace common {
namespace {

void put_record(std::FILE* stream, std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fwrite("\r\n", 1, 2, stream);
    std::fflush(stream);
}

}  // namespace

void console_record(std::string_view text) {
    put_record(stdout, text);
}

void error_record(std::string_view text) {
    put_record(stderr, text);
}

void pause(std::string_view message, std::FILE* answers) {
    std::fflush(stdout);
    error_record(std::string("PAUSE ") + std::string(message));
    error_record("To resume execution, type go.  Other input will terminate the job.");
    std::string answer;
    bool got_line = false;
    for (int c; (c = std::fgetc(answers)) != EOF;) {
        got_line = true;
        if (c == '\n') break;
        answer.push_back(static_cast<char>(c));
    }
    if (!answer.empty() && answer.back() == '\r') answer.pop_back();
    if (answer.size() > 3) answer.resize(3);  // the answer field holds three characters
    while (!answer.empty() && answer.back() == ' ') answer.pop_back();
    if (got_line && answer == "go") {
        error_record("RESUMED");
        return;
    }
    throw ProgramEnd(ExitStatus::handled_failure);
}

void stop(std::string_view message) {
    std::fflush(stdout);
    if (!message.empty()) error_record(std::string("STOP ") + std::string(message));
    throw ProgramEnd(ExitStatus::handled_failure);
}

}  // namespace common
