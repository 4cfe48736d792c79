#pragma once
// One fuzz case of a colloid mode: the fuzz input is input.txt. It is read as the entry and the
// model read it, then the model computes the first few points at a bounded subdivision limit, and
// every result is put into its print.txt record.

#include <cstddef>
#include <cstdint>

#include "coltrans/colloid_settings.hpp"

namespace fuzz_support {

void run_colloid_case(const std::uint8_t* data, std::size_t size, coltrans::ColloidFamily family);

}  // namespace fuzz_support
