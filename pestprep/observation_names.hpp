#pragma once
// PEST's name of observation i, shared by the control file and the instruction file.

#include <cstdint>
#include <string>

namespace pestprep::creating_files {

// "cn" followed by the digits of i: i written right-justified in eight columns, moved to the left
// and cut at the first blank (cn1, cn2, ..., cn120).
std::string observation_name(std::int32_t i);

}  // namespace pestprep::creating_files
