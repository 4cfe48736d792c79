#include "common/edit_descriptors.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "common/format.hpp"

namespace common {
namespace {

TEST(EditDescriptors, ExamplesOfTheRecordLayout) {
    EXPECT_EQ(edit_es(12.345, 15, 5), "    1.23450E+01");
    EXPECT_EQ(edit_es(12.345, 18, 9, 3), "  1.234500000E+001");
    EXPECT_EQ(edit_f(0.5, 10, 3), "     0.500");
    EXPECT_EQ(edit_f(2.0, 12, 5), "     2.00000");
    EXPECT_EQ(edit_i(42, 6), "    42");
}

TEST(EditDescriptors, ScientificZeroSignAndThreeDigitExponents) {
    EXPECT_EQ(edit_es(0.0, 15, 5), "    0.00000E+00");
    EXPECT_EQ(edit_es(-0.0, 15, 5), "   -0.00000E+00");
    EXPECT_EQ(edit_es(-12.345, 15, 5), "   -1.23450E+01");
    EXPECT_EQ(edit_es(1.0e100, 15, 5), "    1.00000+100");
    EXPECT_EQ(edit_es(1.0e-100, 15, 5), "    1.00000-100");
    EXPECT_EQ(edit_es(1.0e100, 18, 9, 3), "  1.000000000E+100");
    EXPECT_EQ(edit_es(1.0e-100, 18, 9, 3), "  1.000000000E-100");
    EXPECT_EQ(edit_es(0.0, 18, 9, 3), "  0.000000000E+000");
    EXPECT_EQ(edit_es(2.5, 15, 7), "  2.5000000E+00");
    EXPECT_EQ(edit_es(1.0e100, 15, 7), "  1.0000000+100");
    EXPECT_EQ(edit_es(4.9e-324, 15, 5), "    4.94066-324");
}

TEST(EditDescriptors, RoundingAcrossAPowerOfTen) {
    EXPECT_EQ(edit_es(9.9999951, 15, 5), "    1.00000E+01");
    EXPECT_EQ(edit_es(9.99999951e99, 15, 5), "    1.00000+100");
    EXPECT_EQ(edit_es(9.99999999951e-101, 18, 9, 3), "  1.000000000E-100");
    EXPECT_EQ(edit_es(0.999999999, 15, 7), "  1.0000000E+00");
    EXPECT_EQ(edit_f(99.9996, 10, 3), "   100.000");
    EXPECT_EQ(edit_f(0.0999999, 10, 3), "     0.100");
    EXPECT_EQ(edit_f(9.999999999, 12, 5), "    10.00000");
    // Rounded from the exact binary value: 0.125 is exact and ties go to even, 2.675 is below 2.675.
    EXPECT_EQ(edit_f(0.125, 10, 2), "      0.12");
    EXPECT_EQ(edit_f(2.675, 10, 2), "      2.67");
}

TEST(EditDescriptors, ShortestRealsReadBackAsTheSameDouble) {
    EXPECT_EQ(edit_shortest(40.0), "40");
    EXPECT_EQ(edit_shortest(0.1), "0.1");
    EXPECT_EQ(edit_shortest(-2.5e-300), "-2.5e-300");
    EXPECT_EQ(edit_shortest(std::numeric_limits<double>::quiet_NaN()), "NaN");
    EXPECT_EQ(edit_shortest(-std::numeric_limits<double>::infinity()), "-Infinity");
    for (const double value : {1.0 / 3.0, 1.0e-300 / 3.0, 1.7976931348623157e308, 2.0 / 7.0e-5}) {
        EXPECT_EQ(std::stod(edit_shortest(value)), value);
    }
}

TEST(EditDescriptors, ExponentTooWideForItsFieldGivesAsterisks) {
    EXPECT_EQ(edit_es(1.0e100, 15, 5, 2), "***************");
    EXPECT_EQ(edit_es(1.0e-15, 12, 5, 1), "************");
}

TEST(EditDescriptors, FixedPointFieldsAndOverflow) {
    EXPECT_EQ(edit_f(-0.0, 10, 3), "    -0.000");
    EXPECT_EQ(edit_f(1.0, 15, 7), "      1.0000000");
    EXPECT_EQ(edit_f(-1234567.0, 15, 7), "***************");
    EXPECT_EQ(edit_f(1.0e7, 15, 7), "***************");
    EXPECT_EQ(edit_f(9999999.9999999, 15, 7), "9999999.9999999");
    EXPECT_EQ(edit_f(0.5, 4, 3), ".500");
    EXPECT_EQ(edit_f(0.5, 3, 3), "***");
    EXPECT_EQ(edit_f(12345.678, 12, 5), " 12345.67800");
    EXPECT_EQ(edit_f(123456.78, 12, 5), "123456.78000");
    EXPECT_EQ(edit_f(1234567.8, 12, 5), "************");
    EXPECT_EQ(edit_f(3.0, 5, 0), "   3.");
}

TEST(EditDescriptors, DoublePrecisionExponentForm) {
    EXPECT_EQ(edit_d(1.0, 21, 13), "  0.1000000000000D+01");
    EXPECT_EQ(edit_d(0.0, 21, 13), "  0.0000000000000D+00");
    EXPECT_EQ(edit_d(-2.5e-5, 21, 13), " -0.2500000000000D-04");
    EXPECT_EQ(edit_d(6.0092e-3, 21, 13), "  0.6009200000000D-02");
    EXPECT_EQ(edit_d(1.0e100, 21, 13), "  0.1000000000000+101");
    EXPECT_EQ(edit_d(0.99999999999999, 21, 13), "  0.1000000000000D+01");
    EXPECT_EQ(edit_d(-1.0, 19, 13), "-.1000000000000D+01");
}

TEST(EditDescriptors, IntegersAndCharacterFields) {
    EXPECT_EQ(edit_i(-42, 6), "   -42");
    EXPECT_EQ(edit_i(1234567, 6), "******");
    EXPECT_EQ(edit_i(0, 10), "         0");
    EXPECT_EQ(edit_a("abc", 5), "  abc");
    EXPECT_EQ(edit_a("abcdef", 3), "abc");
    EXPECT_EQ(edit_a("abc", 3), "abc");
}

TEST(EditDescriptors, InfinityAndNaN) {
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(edit_es(inf, 15, 5), "       Infinity");
    EXPECT_EQ(edit_es(-inf, 15, 5), "      -Infinity");
    EXPECT_EQ(edit_es(std::nan(""), 15, 5), "            NaN");
    EXPECT_EQ(edit_f(inf, 6, 2), "   Inf");
    EXPECT_EQ(edit_f(-inf, 3, 1), "***");
}

TEST(FreeFormatOutput, RealsOfBothKinds) {
    EXPECT_EQ(list_record({1.0f}), std::string(" ") + "  1.00000000" + "    ");
    EXPECT_EQ(list_record({0.5f}), std::string(" ") + " 0.500000000" + "    ");
    EXPECT_EQ(list_record({0.01f}), std::string(" ") + "  9.99999978E-03");
    EXPECT_EQ(list_record({1.0}), std::string(" ") + "  1.0000000000000000" + "     ");
    EXPECT_EQ(list_record({0.0f}), std::string(" ") + "  0.00000000" + "    ");
    EXPECT_EQ(list_record({0.0}), std::string(" ") + "  0.0000000000000000" + "     ");
    EXPECT_EQ(list_record({-0.5}), std::string(" ") + "-0.50000000000000000" + "     ");
    EXPECT_EQ(list_record({0.1}), std::string(" ") + " 0.10000000000000001" + "     ");
    EXPECT_EQ(list_record({1.0e20}), std::string(" ") + "  1.0000000000000000E+020");
    EXPECT_EQ(list_record({1.0e-5}), std::string(" ") + "  1.0000000000000001E-005");
    EXPECT_EQ(list_record({123456789.0f}), std::string(" ") + "  123456792." + "    ");
    EXPECT_EQ(list_record({1.0e10f}), std::string(" ") + "  1.00000000E+10");
    EXPECT_EQ(list_record({12.0f}), std::string(" ") + "  12.0000000" + "    ");
    EXPECT_EQ(list_record({0.1f}), std::string(" ") + " 0.100000001" + "    ");
    EXPECT_EQ(list_record({0.099999994f}), std::string(" ") + "  9.99999940E-02");
}

TEST(FreeFormatOutput, IntegersTextsAndJoiningRules) {
    EXPECT_EQ(list_record({42}), "          42");
    EXPECT_EQ(list_record({" Pest interface Started"}), "  Pest interface Started");
    EXPECT_EQ(list_record({"tNum is : ", 11, "while cNum is : ", 10}),
              " tNum is :           11 while cNum is :           10");
    EXPECT_EQ(list_record({"Error flag=", -1}), " Error flag=          -1");
    EXPECT_EQ(list_record({"ab", "cd "}), " abcd ");
    EXPECT_EQ(list_record({}), " ");
    EXPECT_EQ(list_record({"Everything finished with success. Lines found: ", 3}),
              " Everything finished with success. Lines found:            3");
}

TEST(Formats, QuotedFormatsOfTheFiles) {
    const Format result_line("(Es15.5,A1,Es15.5,A1,Es18.9E3)");
    const std::string line = result_line.apply({2.0, "\t", 10.0, "\t", 0.0});
    EXPECT_EQ(line, "    2.00000E+00\t    1.00000E+01\t  0.000000000E+000");
    EXPECT_EQ(line.size(), 50u);
    EXPECT_EQ(format_record("(A44,F10.3,A5)", {"Total Time of Operations", 0.125f, " Secs"}),
              std::string(20, ' ') + "Total Time of Operations" + "     0.125" + " Secs");
    EXPECT_EQ(format_record("(6X,'In above message,  I1 =',I10)", {-1}),
              "      In above message,  I1 =        -1");
    EXPECT_EQ(format_record("(6X,'In above,  R1 =',D21.13,3X,'R2 =',D21.13)", {1.0, 0.0}),
              "      In above,  R1 =  0.1000000000000D+01   R2 =  0.0000000000000D+00");
    EXPECT_EQ(format_record("(1X,A)", {"DLSODA-"}), " DLSODA-");
    EXPECT_EQ(format_record("(I6,I6,I6,I6,I6)", {12, 48, 12, 0, 1}), "    12    48    12     0     1");
    EXPECT_EQ(format_record("(5I6)", {12, 48, 12, 0, 1}), "    12    48    12     0     1");
    EXPECT_EQ(format_record("(Es15.7,\"   \",Es15.7 )", {2.5, 10.0}), "  2.5000000E+00     1.0000000E+01");
    EXPECT_EQ(format_record("(F12.5)", {1.5f}), "     1.50000");
    EXPECT_EQ(format_record("(A200)", {"x"}).size(), 200u);
    EXPECT_EQ(format_record("(A)", {"ptf #"}), "ptf #");
    EXPECT_EQ(format_record("(a,'x')", {"it's"}), "it'sx");
    EXPECT_EQ(format_record("('it''s')", {}), "it's");
}

TEST(Formats, OutputStopsAtTheFirstDescriptorWithoutAnItem) {
    EXPECT_EQ(format_record("(A,'=',I3,' end')", {"a"}), "a=");
}

TEST(Formats, InvalidFormatsAndMismatchedItemsAreRejected) {
    EXPECT_THROW(Format("Es15.5"), std::invalid_argument);
    EXPECT_THROW(Format("(Q5)"), std::invalid_argument);
    EXPECT_THROW(Format("(E15.5)"), std::invalid_argument);
    EXPECT_THROW(Format("(F10)"), std::invalid_argument);
    EXPECT_THROW(Format("('abc)"), std::invalid_argument);
    EXPECT_THROW(format_record("(I5)", {1.0}), std::invalid_argument);
    EXPECT_THROW(format_record("(F5.1)", {"x"}), std::invalid_argument);
}

}  // namespace
}  // namespace common
