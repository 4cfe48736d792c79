#include "coltrans/progress.hpp"

#include <cmath>
#include <string_view>

#include "common/console.hpp"

namespace coltrans {
namespace {

// Lower ends of the bands 1 to 10 and the marks of all eleven bands. The mark is the upper end of
// the band, except that 90 up to 99 shows "95" and 99 or more shows "99".
constexpr std::array<float, 10> kBandStarts = {10, 20, 30, 40, 50, 60, 70, 80, 90, 99};
constexpr std::array<std::string_view, 11> kMarks = {"10", "20", "30", "40", "50", "60",
                                                     "70", "80", "90", "95", "99"};

}  // namespace

int progress_band(float p) {
    if (std::isnan(p)) return -1;
    int band = 0;
    while (band < static_cast<int>(kBandStarts.size()) && p >= kBandStarts[static_cast<std::size_t>(band)])
        ++band;
    return band;
}

void ProgressDisplay::displaycurrentprgress(std::int32_t current, std::int32_t total) {
    const float p = static_cast<float>(static_cast<double>(current) * 100.0 / static_cast<double>(total));
    const int band = progress_band(p);
    if (band < 0 || shown_[static_cast<std::size_t>(band)]) return;
    shown_[static_cast<std::size_t>(band)] = true;
    common::console_list({kMarks[static_cast<std::size_t>(band)]});
}

}  // namespace coltrans
