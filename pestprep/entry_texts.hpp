#pragma once
// The console records of a generator run that are not failures of one input file: the start, the
// end, and the records of observation files that disagree on their number of records. The failures
// of reading an input are in generator_inputs.cpp, those of the control file in control_file.cpp.

#include <array>
#include <string_view>

namespace pestprep::entry_texts {

inline constexpr std::string_view kStarted = " Pest interface Started";
inline constexpr std::array<std::string_view, 2> kFinished = {"End reached successfully",
                                                              "Press any button to exit"};

// ExpData.txt and TimeAndCoords.txt hold different numbers of records: two records, then one with
// both counts after these labels, then three more; a pause and a stop follow.
inline constexpr std::array<std::string_view, 2> kCountMismatchLead = {
    "It seems the number of experimental values you have given dont match",
    "with the number of coordates you have given to explicity specify them"};
inline constexpr std::string_view kTNumLabel = "tNum is : ";
inline constexpr std::string_view kCNumLabel = "while cNum is : ";
inline constexpr std::array<std::string_view, 3> kCountMismatchTail = {
    "Plz make sure that the files ExpData.txt and TimeAndCoords.txt have the same amount of lines",
    "System will now pause and stop", " Press any button to exit"};

}  // namespace pestprep::entry_texts
