// console_test.cpp -- the answer conversion and the line reader
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <string>

#include "platform/console.h"
#include "platform/convert.h"

namespace {

struct ConversionCase {
    const char* text;
    std::int32_t value;
};

class Conversion : public ::testing::TestWithParam<ConversionCase> {};

TEST_P(Conversion, ReadsLikeTheConsoleDoes) {
    EXPECT_EQ(platform::toInt(GetParam().text), GetParam().value) << '"' << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(Answers, Conversion,
                         ::testing::Values(
                             // Plain numbers, blanks and trailing rubbish.
                             ConversionCase{"800", 800}, ConversionCase{" 640px", 640},
                             ConversionCase{"\t 12 34", 12}, ConversionCase{"", 0}, ConversionCase{"abc", 0},
                             ConversionCase{"px640", 0},
                             // One sign, directly before the digits.
                             ConversionCase{"+5", 5}, ConversionCase{"-5", -5}, ConversionCase{"- 5", 0},
                             ConversionCase{"+-5", 0}, ConversionCase{"--5", 0}, ConversionCase{"-", 0},
                             // Hexadecimal and binary after the sign.
                             ConversionCase{"$1F", 31}, ConversionCase{"$ff", 255},
                             ConversionCase{"-$10", -16}, ConversionCase{"$g", 0}, ConversionCase{"%101", 5},
                             ConversionCase{"-%11", -3}, ConversionCase{"%102", 2}, ConversionCase{"$", 0},
                             ConversionCase{"5$1", 5},
                             // Beyond 32 bits the value wraps, in every base.
                             ConversionCase{"2147483647", INT_MAX}, ConversionCase{"2147483648", INT_MIN},
                             ConversionCase{"-2147483648", INT_MIN}, ConversionCase{"4294967296", 0},
                             ConversionCase{"4294967297", 1}, ConversionCase{"$FFFFFFFF", -1},
                             ConversionCase{"$100000000", 0}, ConversionCase{"$1FFFFFFFF", -1},
                             ConversionCase{"99999999999999999999", int32_t(uint32_t(1661992959u))}));

std::string readAll(const std::string& input, std::vector<std::optional<std::string>>& lines) {
    std::string copy = input;
    std::FILE* f = fmemopen(copy.data(), copy.size(), "r");
    if (!f) return "fmemopen failed";
    for (;;) {
        auto line = platform::readLine(f);
        lines.push_back(line);
        if (!line) break;
    }
    std::fclose(f);
    return {};
}

TEST(LineReader, DropsCarriageReturnsAndStopsAtAnUnfinishedLine) {
    std::vector<std::optional<std::string>> lines;
    ASSERT_EQ(readAll("800\r\n\r600\n\n12", lines), "");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "800");
    EXPECT_EQ(lines[1], "600");
    EXPECT_EQ(lines[2], "");
    EXPECT_EQ(lines[3], std::nullopt) << "a last answer without its line feed counts as ended input";
}

TEST(LineReader, KeepsAVeryLongLineWithBinaryBytes) {
    std::string input(1 << 20, 'x');
    input[5] = '\0';
    input[6] = char(0xFF);
    input += "\n";
    std::vector<std::optional<std::string>> lines;
    ASSERT_EQ(readAll(input, lines), "");
    ASSERT_TRUE(lines[0].has_value());
    EXPECT_EQ(lines[0]->size(), std::size_t(1 << 20));
    EXPECT_EQ((*lines[0])[6], char(0xFF));
}

}  // namespace
