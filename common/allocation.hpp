#pragma once
// Work arrays sized from the input. A failure ends the program with one of the allocation texts.

#include <cstdint>
#include <limits>
#include <new>
#include <string>
#include <string_view>
#include <vector>
#include "common/source_location.hpp"

#include "common/failure.hpp"

namespace common {

inline constexpr std::string_view kAllocationTooLarge = "Allocation would exceed memory limit";
inline constexpr std::string_view kAllocationOverflow =
    "Integer overflow when calculating the amount of memory to allocate";

// An array of n zero-initialised elements. A negative n allocates an empty array.
template <typename T>
std::vector<T> allocate_array(std::int64_t n, SourceLocation where = SourceLocation::current()) {
    if (n < 0) n = 0;
    if (static_cast<std::uint64_t>(n) > std::numeric_limits<std::int64_t>::max() / sizeof(T)) {
        throw AllocationFailure(std::string(kAllocationOverflow), where);
    }
    try {
        return std::vector<T>(static_cast<std::size_t>(n));
    } catch (const std::bad_alloc&) {
        throw AllocationFailure(std::string(kAllocationTooLarge), where);
    } catch (const std::length_error&) {
        throw AllocationFailure(std::string(kAllocationTooLarge), where);
    }
}

}  // namespace common
