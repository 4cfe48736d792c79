#include "pestprep/observation_names.hpp"

#include <algorithm>

#include "common/edit_descriptors.hpp"

namespace pestprep::creating_files {

std::string observation_name(std::int32_t i) {
    std::string digits = common::edit_i(i, 8);
    digits.erase(0, digits.find_first_not_of(' '));
    digits.erase(std::min(digits.find(' '), digits.size()));
    return "cn" + digits;
}

}  // namespace pestprep::creating_files
