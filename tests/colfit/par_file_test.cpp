// fit_parameters.par as the calibration engines' tools read a parameter value file: every value
// back to the last bit, under the names of the control file, in its order.
#include "colfit/par_file.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "tests/support/temp_dir.hpp"
#include "tools/pest_emulation.hpp"

namespace colfit {
namespace {

TEST(ParameterFile, TheEnginesToolsReadEveryValueBackExactly) {
    const ParameterValues values = {2.0035676067782107,
                                    1.0 / 3.0,
                                    1.0974031966476454e-06,
                                    4.39e-2,
                                    4.0,
                                    4.0,
                                    0.38,
                                    2.1959758358695340e-02,
                                    1e-3,
                                    2e-3,
                                    19.63,
                                    1.0};
    const std::vector<std::string> records = parameter_file_records(values);
    ASSERT_EQ(records.size(), 13u);
    EXPECT_EQ(records[0], "single point");
    test_support::TempDir dir;
    std::string text;
    for (const std::string& record : records) text.append(record).append("\r\n");
    test_support::write_file(dir / "fit.par", text);
    const tools::ParameterValues read = tools::parameter_file_values((dir / "fit.par").string());
    ASSERT_EQ(read.size(), kParameterCount);
    for (std::size_t r = 0; r < kParameterCount; ++r) {
        std::string name(kParameterNames[r]);
        std::transform(name.begin(), name.end(), name.begin(),
                       [](unsigned char c) { return std::tolower(c); });
        EXPECT_EQ(read.at(name), values[r]) << name;
    }
}

}  // namespace
}  // namespace colfit
