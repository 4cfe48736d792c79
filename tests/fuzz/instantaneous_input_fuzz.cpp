// input.txt of the instantaneous-injection modes: settings, point list and a bounded model run.
#include "tests/fuzz/colloid_case.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz_support::run_colloid_case(data, size, coltrans::ColloidFamily::instantaneous);
    return 0;
}
