#include "coltrans/sorption_messages.hpp"

#include <array>

namespace coltrans::adsorption {
namespace {

struct MessageText {
    SorptionMessage message;
    std::array<std::string_view, 3> pieces;
};

constexpr std::array<MessageText, 7> kTexts = {{
    {SorptionMessage::unreadable_settings,
     {"Error found during the reading of Input.txt failed to get file size"}},
    {SorptionMessage::unreadable_series, {"Error found during the reading of Input.txt "}},
    {SorptionMessage::time_order,
     {"Error found during the reading of Input.txt: data line", "has the time",
      "which is not greater than the time of the line before it:"}},
    {SorptionMessage::solve_failure,
     {"Error found during the numerical solution of the  Andsorption type asked", "Error flag="}},
    {SorptionMessage::print_failure, {"Error found when writing the print.txt"}},
    {SorptionMessage::archive_failure, {"Error found when writing the total runs file"}},
    {SorptionMessage::closing, {"Everything finished with success. Lines found: "}},
}};

}  // namespace

std::string_view sorption_text(SorptionMessage message, int piece) {
    for (const MessageText& entry : kTexts) {
        if (entry.message == message && piece >= 0 && piece < static_cast<int>(entry.pieces.size())) {
            return entry.pieces[static_cast<std::size_t>(piece)];
        }
    }
    return {};
}

}  // namespace coltrans::adsorption
