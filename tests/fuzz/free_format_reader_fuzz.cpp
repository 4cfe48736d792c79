// Free-format input: any bytes, read as records by statements of every item kind, must give a
// status and never crash, hang or read out of bounds.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "common/list_input.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    // The first byte chooses the statements: two bits per item, up to four items each.
    const std::uint8_t pattern = data[0];
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    common::StringRecords records = common::StringRecords::from_text(text);

    float real4 = 0.0f;
    double real8 = 0.0;
    std::int32_t integer = 0;
    std::string word;
    for (int statement = 0; statement < 64; ++statement) {
        std::vector<common::InItem> items;
        for (int k = 0; k < 1 + statement % 4; ++k) {
            switch ((pattern >> (2 * ((statement + k) % 4))) & 3) {
                case 0:
                    items.emplace_back(&real4);
                    break;
                case 1:
                    items.emplace_back(&real8);
                    break;
                case 2:
                    items.emplace_back(&integer);
                    break;
                default:
                    items.emplace_back(
                        common::TextItem{&word, 1u + static_cast<std::size_t>(statement) % 60});
                    break;
            }
        }
        const common::IoResult result = common::read_list(records, items);
        if (result.items > items.size()) __builtin_trap();
        if (result.is_end()) break;
    }
    std::string fixed;
    records.rewind();
    while (common::read_fixed_text(records, fixed, 200)) {
        if (fixed.size() != 200) __builtin_trap();
    }
    return 0;
}
