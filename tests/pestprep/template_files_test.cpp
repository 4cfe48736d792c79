// The template and instruction files, byte for byte.
#include "pestprep/template_files.hpp"

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/temp_dir.hpp"

namespace pestprep::creating_files {
namespace {

using test_support::read_file;
using test_support::TempDir;

std::vector<std::string> crlf_records(const std::string& text) {
    std::vector<std::string> records;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        EXPECT_NE(end, std::string::npos) << "a record without CR LF";
        if (end == std::string::npos) break;
        records.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return records;
}

std::string written_template(std::vector<double> t, std::vector<double> x) {
    TempDir dir;
    common::RecordFile file;
    EXPECT_TRUE(file.open((dir / "input.tpl").string(), common::OpenMode::any));
    input_tpl_file(file, t, x);
    EXPECT_TRUE(file.close());
    return read_file(dir / "input.tpl");
}

std::string written_instructions(std::int32_t n, std::string_view old_contents = {}) {
    TempDir dir;
    test_support::write_file(dir / "print.ins", old_contents);
    common::RecordFile file;
    EXPECT_TRUE(file.open((dir / "print.ins").string(), common::OpenMode::any));
    print_ins_file(file, n);
    EXPECT_TRUE(file.close());
    return read_file(dir / "print.ins");
}

TEST(Template, SettingsLinesAndMarkers) {
    const std::vector<std::string> records = crlf_records(written_template({}, {}));
    ASSERT_EQ(records.size(), 17u);
    EXPECT_EQ(records[0], "ptf #");
    for (std::size_t k = 1; k < records.size(); ++k) {
        EXPECT_EQ(records[k].size(), 201u) << "line " << k + 1;
        EXPECT_EQ(records[k][0], ' ');
    }
    EXPECT_EQ(records.back().substr(0, 31), " t (Time),      x(X coordinate)");
    EXPECT_EQ(records[14].substr(0, 34), " Saved_Simulations\\Total_Runs1.txt");
    EXPECT_EQ(records[11].substr(0, 24), " 1.86\t                !\t");
    // Each marker begins its line, with the width that PEST fills with the value.
    const std::vector<std::pair<std::size_t, std::string>> markers{
        {1, "#SimMode       #"},   {2, "#Dcx           #"},   {3, "#R1             #"},
        {4, "#R2             #"},  {5, "#Kirr           #"},  {6, "#U             #"},
        {7, "#tp             #"},  {8, "#th            #"},   {9, "#l2             #"},
        {10, "#C0             #"}, {12, "#M0             #"}, {13, "#A0             #"}};
    for (const auto& [k, marker] : markers) {
        EXPECT_EQ(records[k].substr(1, marker.size()), marker);
        EXPECT_EQ(records[k].find('#', marker.size() + 1), std::string::npos) << "line " << k + 1;
    }
    EXPECT_EQ(records[5].substr(1, 20), "#Kirr           # \t!");
}

TEST(Template, OnePointLinePerObservation) {
    const std::vector<std::string> records =
        crlf_records(written_template({2.5, 1e-3, 1e100}, {10.0, 30.0, -1.0}));
    ASSERT_EQ(records.size(), 20u);
    EXPECT_EQ(records[17], "  2.5000000E+00     1.0000000E+01");
    EXPECT_EQ(records[18], "  1.0000000E-03     3.0000000E+01");
    EXPECT_EQ(records[19], "  1.0000000+100    -1.0000000E+00");
}

TEST(Instructions, OneLinePerObservationAndAtLeastOne) {
    EXPECT_EQ(written_instructions(0), "pif #\r\n l4\t!dum!\t!dum!\t!cn1!\r\n");
    EXPECT_EQ(written_instructions(1, "an older, longer instruction file\r\nwith more lines\r\n"),
              "pif #\r\n l4\t!dum!\t!dum!\t!cn1!\r\n");
    const std::vector<std::string> records = crlf_records(written_instructions(120));
    ASSERT_EQ(records.size(), 121u);
    EXPECT_EQ(records[2], " l1\t!dum!\t!dum!\t!cn2!");
    EXPECT_EQ(records[10], " l1\t!dum!\t!dum!\t!cn10!");
    EXPECT_EQ(records[120], " l1\t!dum!\t!dum!\t!cn120!");
}

}  // namespace
}  // namespace pestprep::creating_files
