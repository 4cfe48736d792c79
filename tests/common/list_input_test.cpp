#include "common/list_input.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace common {
namespace {

StringRecords records(std::string_view text) {
    return StringRecords::from_text(text);
}

TEST(FreeFormatInput, CommentAfterTheValuesIsIgnored) {
    auto source = records("2.3E-4  0.3  300   !ERRREL2,ERRABS2 , limit\nnext\n");
    double errrel = 0, errabs = 0;
    std::int32_t limit = 0;
    ASSERT_TRUE(read_list(source, {&errrel, &errabs, &limit}));
    EXPECT_EQ(errrel, 2.3e-4);
    EXPECT_EQ(errabs, 0.3);
    EXPECT_EQ(limit, 300);
    std::string rest;
    ASSERT_TRUE(source.read_record(rest));
    EXPECT_EQ(rest, "next");
}

TEST(FreeFormatInput, ContinuesOnTheNextRecordsAndPassesOverBlankLines) {
    auto source = records("1.5 2.5\n\n   \t\n3.5 9 trailing\n4.5\n");
    double a = 0, b = 0, c = 0;
    ASSERT_TRUE(read_list(source, {&a, &b, &c}));
    EXPECT_EQ(c, 3.5);
    double d = 0;
    ASSERT_TRUE(read_list(source, {&d}));
    EXPECT_EQ(d, 4.5);  // the rest of the record of the earlier statement was skipped
    EXPECT_TRUE(read_list(source, {&d}).is_end());
}

TEST(FreeFormatInput, SeparatorsNullValuesRepeatsAndSlash) {
    auto source = records("1,2\t3 , 4\n5,,7\n2*8.5 3*\n1 2 / 3\n");
    double v[4] = {};
    ASSERT_TRUE(read_list(source, {&v[0], &v[1], &v[2], &v[3]}));
    EXPECT_EQ(v[3], 4.0);
    double w[3] = {-1, -1, -1};
    ASSERT_TRUE(read_list(source, {&w[0], &w[1], &w[2]}));
    EXPECT_EQ(w[0], 5.0);
    EXPECT_EQ(w[1], -1.0);  // null value: unchanged
    EXPECT_EQ(w[2], 7.0);
    double r[5] = {-1, -1, -1, -1, -1};
    ASSERT_TRUE(read_list(source, {&r[0], &r[1], &r[2], &r[3], &r[4]}));
    EXPECT_EQ(r[0], 8.5);
    EXPECT_EQ(r[1], 8.5);
    EXPECT_EQ(r[2], -1.0);
    EXPECT_EQ(r[4], -1.0);
    double s[3] = {-1, -1, -1};
    const IoResult slash = read_list(source, {&s[0], &s[1], &s[2]});
    ASSERT_TRUE(slash);
    EXPECT_EQ(slash.items, 2u);
    EXPECT_EQ(s[1], 2.0);
    EXPECT_EQ(s[2], -1.0);
}

TEST(FreeFormatInput, LeadingCommaIsANullValue) {
    auto source = records(",5\n");
    double a = -1, b = -1;
    ASSERT_TRUE(read_list(source, {&a, &b}));
    EXPECT_EQ(a, -1.0);
    EXPECT_EQ(b, 5.0);
}

TEST(FreeFormatInput, IntegerItemsRejectDecimalPointsAndWords) {
    for (const char* text : {"3.0\n", "!\n", "1e3\n", "abc\n", "3000000000\n", "'7'\n"}) {
        auto source = records(text);
        std::int32_t value = 99;
        const IoResult result = read_list(source, {&value});
        EXPECT_TRUE(result.is_error()) << text;
        EXPECT_EQ(result.items, 0u);
        EXPECT_EQ(value, 99) << text;
    }
    auto source = records("-2147483648 +17\n");
    std::int32_t a = 0, b = 0;
    ASSERT_TRUE(read_list(source, {&a, &b}));
    EXPECT_EQ(a, std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(b, 17);
}

TEST(FreeFormatInput, RealForms) {
    const std::pair<const char*, double> cases[] = {
        {"300", 300.0},    {"0.3", 0.3},          {"2.3E-4", 2.3e-4},
        {"1.5D0", 1.5},    {"1.5d+2", 150.0},     {"1.5-3", 1.5e-3},
        {"1.5+3", 1500.0}, {".5", 0.5},           {"5.", 5.0},
        {"+1", 1.0},       {"-0", -0.0},          {"1e400", std::numeric_limits<double>::infinity()},
        {"1e-400", 0.0},   {"4.9e-324", 4.9e-324}};
    for (const auto& [text, expected] : cases) {
        double value = -7;
        EXPECT_TRUE(parse_real(text, value)) << text;
        EXPECT_EQ(value, expected) << text;
    }
    for (const char* bad : {"1.2.3", "e5", "1e", "abc", "--1", "1e+", "", ".", "1x", "0x10", "!"}) {
        double value = 0;
        EXPECT_FALSE(parse_real(bad, value)) << bad;
    }
    double value = 0;
    ASSERT_TRUE(parse_real("NaN", value));
    EXPECT_TRUE(std::isnan(value));
    ASSERT_TRUE(parse_real("-Infinity", value));
    EXPECT_EQ(value, -std::numeric_limits<double>::infinity());
    ASSERT_TRUE(parse_real("inf", value));
    EXPECT_EQ(value, std::numeric_limits<double>::infinity());
}

TEST(FreeFormatInput, SinglePrecisionItemsRoundOnce) {
    float value = 0;
    ASSERT_TRUE(parse_real("0.1", value));
    EXPECT_EQ(value, 0.1f);
    // A decimal half-way between two floats that a detour through double would round wrongly.
    ASSERT_TRUE(parse_real("1.00000005960464477539062500000000001", value));
    EXPECT_EQ(value, std::nextafter(1.0f, 2.0f));
}

TEST(FreeFormatInput, CharacterItemsTakeOneWordOrAQuotedString) {
    auto source = records("Saved_Simulations\\Total_Runs1.txt  more\n'a b, c' next\nlongword,x\n");
    std::string text;
    ASSERT_TRUE(read_list(source, {TextItem{&text, 10}}));
    EXPECT_EQ(text, "Saved_Simu");
    std::string quoted, second;
    ASSERT_TRUE(read_list(source, {TextItem{&quoted, 10}, TextItem{&second, 6}}));
    EXPECT_EQ(quoted, "a b, c    ");
    EXPECT_EQ(second, "next  ");
    std::string word;
    ASSERT_TRUE(read_list(source, {TextItem{&word, 20}}));
    EXPECT_EQ(word, "longword" + std::string(12, ' '));
}

TEST(FreeFormatInput, EndAndErrorConditionsReportItemsRead) {
    auto source = records("1 2\n");
    double a = 0, b = 0, c = -1;
    const IoResult end = read_list(source, {&a, &b, &c});
    EXPECT_TRUE(end.is_end());
    EXPECT_EQ(end.items, 2u);
    EXPECT_EQ(b, 2.0);
    EXPECT_EQ(c, -1.0);

    auto bad = records("1 x 3\n");
    const IoResult error = read_list(bad, {&a, &b, &c});
    EXPECT_TRUE(error.is_error());
    EXPECT_EQ(error.items, 1u);
    EXPECT_NE(error.cause.find("'x'"), std::string::npos);

    auto empty = records("");
    EXPECT_TRUE(read_list(empty, {&a}).is_end());
    EXPECT_TRUE(skip_record(empty).is_end());

    // A garbled word is shown cut, with its unprintable bytes written out.
    auto garbled = StringRecords({std::string("\x1b[2J\0\xff", 6) + std::string(100000, 'x')});
    const IoResult shown = read_list(garbled, {&a});
    EXPECT_EQ(shown.cause,
              "bad real number '\\x1B[2J\\x00\\xFF" + std::string(34, 'x') + "'... (100006 characters)");
}

TEST(FreeFormatInput, ADecimalCommaIsNamedInAWarningAndStillSeparatesTwoValues) {
    struct Case {
        std::string line;
        double first;
        double second;
        std::string warning;  // empty: none
    };
    const std::string tail = ": a comma separates two values, so the value read is ";
    const std::vector<Case> cases = {
        {"0,05 7", 0.0, 5.0, "'0,05'" + tail + "0 (a decimal number is written with a point: '0.05')"},
        {"-1,5E-3", -1.0, 5e-3,
         "'-1,5E-3'" + tail + "-1 (a decimal number is written with a point: '-1.5E-3')"},
        {"0.5,20", 0.5, 20.0, ""},  // a number with a point: the comma only separates
        {"1, 5", 1.0, 5.0, ""},
        {"1 ,5", 1.0, 5.0, ""},
        {"1,x 2", 1.0, 0.0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        StringRecords source({"heading", c.line}, "/r/data.txt");
        std::string heading;
        double first = 0.0;
        double second = 0.0;
        testing::internal::CaptureStderr();
        ASSERT_TRUE(read_list(source, {TextItem{&heading, 7}}));
        (void)read_list(source, {&first, &second});
        source.rewind();  // a second pass over the same line warns no more
        (void)read_list(source, {TextItem{&heading, 7}});
        (void)read_list(source, {&first, &second});
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(first, c.first);
        if (c.second != 0.0) {
            EXPECT_EQ(second, c.second);
        }
        EXPECT_EQ(err,
                  c.warning.empty() ? "" : "Warning: line 2 of '/r/data.txt' holds " + c.warning + "\r\n");
    }
    // Records without a name (text in hand) give no warning.
    auto unnamed = records("0,05 7\n");
    double value = 0.0;
    testing::internal::CaptureStderr();
    ASSERT_TRUE(read_list(unnamed, {&value}));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST(FreeFormatInput, StatementWithoutItemsSkipsExactlyOneRecord) {
    auto source = records("first\n\nthird 3\n");
    ASSERT_TRUE(skip_record(source));
    ASSERT_TRUE(read_list(source, {}));  // the blank second record
    std::string word;
    double value = 0;
    ASSERT_TRUE(read_list(source, {TextItem{&word, 5}, &value}));
    EXPECT_EQ(value, 3.0);
}

TEST(FixedTextInput, TakesTheFirstColumnsBlankPadded) {
    auto source = records("short\r\n" + std::string(600, 'x') + "\n");
    std::string field;
    ASSERT_TRUE(read_fixed_text(source, field, 200));
    EXPECT_EQ(field, "short" + std::string(195, ' '));
    ASSERT_TRUE(read_fixed_text(source, field, 500));
    EXPECT_EQ(field, std::string(500, 'x'));
    EXPECT_TRUE(read_fixed_text(source, field, 10).is_end());
}

TEST(StringRecordsSplitting, LineEndsAndAFinalRecordWithoutOne) {
    auto source = records("a\r\nb\n\r\nc");
    std::string r;
    for (const char* expected : {"a", "b", "", "c"}) {
        ASSERT_TRUE(source.read_record(r));
        EXPECT_EQ(r, expected);
    }
    EXPECT_TRUE(source.read_record(r).is_end());
}

}  // namespace
}  // namespace common
