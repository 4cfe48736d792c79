#include "coltrans/colloid_failures.hpp"

#include <array>
#include <string_view>

#include "common/console.hpp"
#include "common/list_input.hpp"

namespace coltrans {
namespace {

struct FailureText {
    ColloidFailure failure;
    std::string_view message_file;  // the record in the message file
    std::string_view note;          // what failed, as the note on the error stream says it
};

constexpr std::string_view kPointFailure =
    "Error found during reading the  input.txt file and trying to get time and the potision of the point to "
    "be "
    "printed";

constexpr std::array<FailureText, 4> kFailureTexts = {{
    {ColloidFailure::input_points, kPointFailure, "cannot read a point (t, x) from"},
    {ColloidFailure::input_rewind, kPointFailure,
     "cannot read the settings lines again before the points of"},
    {ColloidFailure::result_readback,
     "Error found during reading the  print.txt and appened it to the TotalRunsFile",
     "cannot read back a result for the run archive from"},
    {ColloidFailure::archive_append, "Error found during  appeneding data to the TotalRunsFile",
     "cannot append the results to the run archive"},
}};

constexpr std::string_view kPausedText = "The system is Paused and will close";

// The pieces of the note around the failure's own text.
constexpr std::string_view kNoteStart = "coltrans: ";
constexpr std::string_view kNoteLine = ", line ";
constexpr std::string_view kNoteLineText = " reads ";
constexpr std::string_view kNoteEnd = " (message in fort.9)";

const FailureText& text_of(ColloidFailure failure) {
    for (const FailureText& entry : kFailureTexts) {
        if (entry.failure == failure) return entry;
    }
    return kFailureTexts[0];
}

}  // namespace

FailurePlace FailurePlace::of_read(std::string file, const common::IoResult& read) {
    return {std::move(file), read.line, read.line_text, read.cause};
}

std::string colloid_failure_note(ColloidFailure failure, const FailurePlace& place) {
    std::string note = std::string(kNoteStart) + std::string(text_of(failure).note) + " '" + place.file + "'";
    if (place.line > 0) {
        note += std::string(kNoteLine) + std::to_string(place.line);
        if (!place.line_text.empty())
            note += std::string(kNoteLineText) + common::quoted_word(place.line_text);
    }
    return note + ": " + place.cause + std::string(kNoteEnd);
}

void report_colloid_failure(common::MessageFile& messages, ColloidFailure failure,
                            const FailurePlace& place) {
    messages.write(text_of(failure).message_file);
    messages.write(kPausedText);
    common::error_record(colloid_failure_note(failure, place));
    common::pause();
}

}  // namespace coltrans
