#include "coltrans/colloid_failures.hpp"

#include <array>
#include <string_view>

#include "common/console.hpp"

namespace coltrans {
namespace {

struct FailureText {
    ColloidFailure failure;
    std::string_view text;
};

constexpr std::array<FailureText, 3> kFailureTexts = {{
    {ColloidFailure::input_points,
     "Error found during reading the  input.txt file and trying to get time and the potision of the point to "
     "be "
     "printed"},
    {ColloidFailure::result_readback,
     "Error found during reading the  print.txt and appened it to the TotalRunsFile"},
    {ColloidFailure::archive_append, "Error found during  appeneding data to the TotalRunsFile"},
}};

constexpr std::string_view kPausedText = "The system is Paused and will close";

}  // namespace

void report_colloid_failure(common::MessageFile& messages, ColloidFailure failure) {
    for (const FailureText& entry : kFailureTexts) {
        if (entry.failure == failure) messages.write(entry.text);
    }
    messages.write(kPausedText);
    common::pause();
}

}  // namespace coltrans
