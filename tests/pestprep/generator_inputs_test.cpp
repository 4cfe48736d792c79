// Reading ExpData.txt, TimeAndCoords.txt and ParsToFit.txt.
#include "pestprep/generator_inputs.hpp"

#include <gtest/gtest.h>

#include <vector>

#include "common/failure.hpp"

namespace pestprep {
namespace {

using common::StringRecords;

std::optional<std::int32_t> count(std::string_view text) {
    StringRecords records = StringRecords::from_text(text);
    return count_observation_records(records, "ExpData.txt");
}

TEST(ObservationCount, RecordsOfTwoNumbersAfterTheHeading) {
    EXPECT_EQ(count("C  weight\n"), 0);
    EXPECT_EQ(count("C  weight\n1.0 2.0\n3.0,4.0\n5.0\t6.0\n"), 3);
    // Blank lines count for nothing, trailing ones included; a blank first line is the heading.
    EXPECT_EQ(count("heading\n\n1 2\n\n   \n3 4\n\n\n"), 2);
    EXPECT_EQ(count("\n1 2\n3 4\n"), 2);
    // A third number is ignored; a lone number takes its partner from the next line.
    EXPECT_EQ(count("h\n1 2 3\n4 5 ! comment\n"), 2);
    EXPECT_EQ(count("h\n1\n2\n3 4\n"), 2);
    // An incomplete last record does not count.
    EXPECT_EQ(count("h\n1 2\n3\n"), 1);
    EXPECT_EQ(count("h\n1 2\nthree 4\n"), std::nullopt);
    EXPECT_THROW(count(""), common::IoFailure);
}

TEST(ObservationLoad, PairsInFileOrder) {
    StringRecords records = StringRecords::from_text("t x\n\n1.5 30\n2.5\n31\n3.5 32 extra\n");
    std::vector<double> t(3), x(3);
    ASSERT_TRUE(load_observation_pairs(records, "TimeAndCoords.txt", t, x));
    EXPECT_EQ(t, (std::vector<double>{1.5, 2.5, 3.5}));
    EXPECT_EQ(x, (std::vector<double>{30, 31, 32}));

    StringRecords bad = StringRecords::from_text("t x\n1 2\n3 four\n");
    EXPECT_FALSE(load_observation_pairs(bad, "TimeAndCoords.txt", t, x));
}

std::string pars_text(bool labels) {
    std::string text = "value flag lower upper label\n";
    for (int r = 1; r <= 12; ++r) {
        text += std::to_string(r) + ".5 " + std::to_string(r % 2) + " -" + std::to_string(r) + " " +
                std::to_string(r);
        if (labels)
            text += r == 1 ? " 'a quoted label, with commas / and a slash'" : " label" + std::to_string(r);
        text += "\n";
    }
    return text;
}

TEST(ParsToFit, TwelveRecordsWithTheirLabels) {
    StringRecords records = StringRecords::from_text(pars_text(true) + "anything after the twelfth record\n");
    ParsToFit pars;
    ASSERT_TRUE(load_pars_to_fit(records, "ParsToFit.txt", pars));
    for (std::size_t r = 0; r < kParameterCount; ++r) {
        const double n = static_cast<double>(r + 1);
        EXPECT_EQ(pars.parvalue[r], n + 0.5);
        EXPECT_EQ(pars.parfitflag[r], static_cast<std::int32_t>((r + 1) % 2));
        EXPECT_EQ(pars.parboundarymin[r], -n);
        EXPECT_EQ(pars.parboundarymax[r], n);
    }
}

TEST(ParsToFit, MissingLabelsShiftTheRecords) {
    // The first record's label is the next record's first word; every later record is read one
    // line late, so twelve lines are not enough.
    StringRecords records = StringRecords::from_text(pars_text(false));
    ParsToFit pars;
    EXPECT_THROW(load_pars_to_fit(records, "ParsToFit.txt", pars), common::IoFailure);
    EXPECT_EQ(pars.parvalue[0], 1.5);
    EXPECT_EQ(pars.parvalue[1], 3.5);
    EXPECT_EQ(pars.parvalue[2], 5.5);
}

TEST(ParsToFit, UnreadableRecordsAreReported) {
    ParsToFit pars;
    StringRecords fractional_flag = StringRecords::from_text("h\n1.0 1.0 0 2 label\n");
    EXPECT_FALSE(load_pars_to_fit(fractional_flag, "ParsToFit.txt", pars));
    StringRecords word = StringRecords::from_text("h\n1.0 one 0 2 label\n");
    EXPECT_FALSE(load_pars_to_fit(word, "ParsToFit.txt", pars));
    StringRecords empty = StringRecords::from_text("");
    EXPECT_THROW(load_pars_to_fit(empty, "ParsToFit.txt", pars), common::IoFailure);
}

TEST(InputFailures, Texts) {
    EXPECT_EQ(input_failure_text(InputFailure::counting_timeandcoords),
              "Error found during the reading of TimeAndCoords.txt ");
    EXPECT_EQ(input_failure_text(InputFailure::loading_expdata),
              "Error found during the extraction of the expData. PLz  check the expData.txt file ");
}

}  // namespace
}  // namespace pestprep
