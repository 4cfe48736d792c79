#include "coltrans/sorption_messages.hpp"

#include <array>

namespace coltrans::adsorption {
namespace {

struct MessageText {
    SorptionMessage message;
    std::string_view text;
};

constexpr std::array<MessageText, 10> kTexts = {{
    {SorptionMessage::unreadable_settings,
     "Error found during the reading of Input.txt failed to get file size"},
    {SorptionMessage::unreadable_series, "Error found during the reading of Input.txt "},
    {SorptionMessage::time_order_line, "Error found during the reading of Input.txt: data line"},
    {SorptionMessage::time_order_time, "has the time"},
    {SorptionMessage::time_order_before, "which is not greater than the time of the line before it:"},
    {SorptionMessage::solve_failure,
     "Error found during the numerical solution of the  Andsorption type asked"},
    {SorptionMessage::error_flag, "Error flag="},
    {SorptionMessage::print_failure, "Error found when writing the print.txt"},
    {SorptionMessage::archive_failure, "Error found when writing the total runs file"},
    {SorptionMessage::closing, "Everything finished with success. Lines found: "},
}};

}  // namespace

std::string_view sorption_text(SorptionMessage message) {
    for (const MessageText& entry : kTexts) {
        if (entry.message == message) return entry.text;
    }
    return {};
}

}  // namespace coltrans::adsorption
