#pragma once
// The progress display: percentage marks on the console, each at most once per run.

#include <array>
#include <cstdint>

namespace coltrans {

class ProgressDisplay {
  public:
    // Called after every finished point: current points of total are done. Writes the mark of the
    // band that current x 100 / total falls in, unless that mark was written before.
    void displaycurrentprgress(std::int32_t current, std::int32_t total);

  private:
    std::array<bool, 11> shown_{};  // one once-only flag per band
};

// The band (0 to 10) of a percentage p, or -1 when p is not a number.
int progress_band(float p);

}  // namespace coltrans
