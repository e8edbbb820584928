// Free-format reads: separators, null values, the slash, repeat counts,
// quoted texts, and the failures a user or a file can bring.

#include <gtest/gtest.h>

#include <sstream>

#include "text/errors.hpp"
#include "text/freeread.hpp"

namespace arribada::text {
namespace {

struct Input {
  explicit Input(const std::string& text) : stream(text), source(stream, "the keyboard", true) {}
  std::istringstream stream;
  LineSource source;
};

std::int32_t readOneInteger(const std::string& text, std::int32_t before) {
  Input in(text);
  std::int32_t value = before;
  readFreeFormat(in.source, {&value});
  return value;
}

struct IntegerCase {
  const char* input;
  std::int32_t before;
  std::int32_t expected;
};

class OneIntegerTest : public ::testing::TestWithParam<IntegerCase> {};

TEST_P(OneIntegerTest, ReadsOrKeeps) {
  EXPECT_EQ(readOneInteger(GetParam().input, GetParam().before), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, OneIntegerTest,
    ::testing::Values(IntegerCase{"42\n", 0, 42}, IntegerCase{"  -17  \n", 0, -17}, IntegerCase{"+8\n", 0, 8},
                      IntegerCase{",\n", 9, 9}, IntegerCase{"  ,  \n", 9, 9}, IntegerCase{"/\n", 9, 9},
                      IntegerCase{"\n\n   \n5\n", 0, 5},         // blank lines are passed over
                      IntegerCase{"7 trailing words\n", 0, 7},  // the rest of the line is discarded
                      IntegerCase{"\t12\t\n", 0, 12}, IntegerCase{"3*4\n", 0, 4}, IntegerCase{"2*\n", 6, 6},
                      IntegerCase{"''\n", 6, 6},  // an empty pair of quotes is a null value
                      IntegerCase{"-2147483648\n", 0, -2147483647 - 1}, IntegerCase{"2147483647\n", 0, 2147483647},
                      IntegerCase{"5\r\n", 0, 5}));

TEST(FreeReadTest, ValuesSpreadOverLinesAndSeparators) {
  Input in("1, 2\n\n3\t4 ,5\n");
  std::int32_t a = 0, b = 0, c = 0, d = 0, e = 0;
  const auto outcome = readFreeFormat(in.source, {&a, &b, &c, &d, &e});
  EXPECT_EQ(outcome.processed, 5u);
  EXPECT_EQ((std::vector<std::int32_t>{a, b, c, d, e}), (std::vector<std::int32_t>{1, 2, 3, 4, 5}));
}

TEST(FreeReadTest, NullValuesBetweenCommasAndAtTheStart) {
  Input in(",5,,7\n");
  std::int32_t a = -1, b = -1, c = -1, d = -1;
  readFreeFormat(in.source, {&a, &b, &c, &d});
  EXPECT_EQ((std::vector<std::int32_t>{a, b, c, d}), (std::vector<std::int32_t>{-1, 5, -1, 7}));
}

TEST(FreeReadTest, SlashLeavesTheRestUnfilled) {
  Input in("1 2 / 3\n4\n");
  std::int32_t a = 0, b = 0, c = -1;
  const auto outcome = readFreeFormat(in.source, {&a, &b, &c});
  EXPECT_TRUE(outcome.endedBySlash);
  EXPECT_EQ(outcome.processed, 2u);
  EXPECT_EQ(c, -1);
  // The next read starts on the next line.
  std::int32_t next = 0;
  readFreeFormat(in.source, {&next});
  EXPECT_EQ(next, 4);
}

TEST(FreeReadTest, EveryReadStartsOnANewLine) {
  Input in("1 2 3\n4\n");
  std::int32_t first = 0, second = 0;
  readFreeFormat(in.source, {&first});
  readFreeFormat(in.source, {&second});
  EXPECT_EQ(first, 1);
  EXPECT_EQ(second, 4);
}

TEST(FreeReadTest, RepeatCountFillsSeveralVariables) {
  Input in("3*2.5 1\n");
  float a = 0, b = 0, c = 0, d = 0;
  readFreeFormat(in.source, {&a, &b, &c, &d});
  EXPECT_EQ(a, 2.5f);
  EXPECT_EQ(c, 2.5f);
  EXPECT_EQ(d, 1.0f);
}

struct RealCase {
  const char* input;
  float expected;
};

class RealFormsTest : public ::testing::TestWithParam<RealCase> {};

TEST_P(RealFormsTest, ReadsTheValue) {
  Input in(GetParam().input);
  float value = -99.0f;
  readFreeFormat(in.source, {&value});
  EXPECT_EQ(value, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Forms, RealFormsTest,
                         ::testing::Values(RealCase{"5\n", 5.0f}, RealCase{"5.\n", 5.0f}, RealCase{".5\n", 0.5f},
                                           RealCase{"-2.5E-1\n", -0.25f}, RealCase{"1e3\n", 1000.0f},
                                           RealCase{"1.5D2\n", 150.0f}, RealCase{"+0.1\n", 0.1f},
                                           RealCase{"1440.5\n", 1440.5f},
                                           // the nearest float, the largest, and one below the normal range
                                           RealCase{"0.1\n", 0x1.99999ap-4f}, RealCase{"3.4028235e38\n", 0x1.fffffep+127f},
                                           RealCase{"1e-40\n", 0x1.16c2p-133f}, RealCase{"0e-99\n", 0.0f},
                                           // Too small for 32 bits: rounded to 0, or to the nearest
                                           // subnormal (2^-149 is the smallest, about 1.4e-45).
                                           RealCase{"1e-50\n", 0.0f}, RealCase{"-1e-46\n", -0.0f},
                                           RealCase{"1.5e-45\n", 0x1p-149f}, RealCase{"3e-45\n", 0x1p-148f}));

// Too large for a float.
TEST(FreeReadTest, RealsBeyondSinglePrecisionFail) {
  for (const char* text : {"3.5e38\n", "-1e39\n"}) {
    Input in(text);
    float value = 0.0f;
    EXPECT_THROW(
        try { readFreeFormat(in.source, {&value}); } catch (const RunTimeError& error) {
          EXPECT_NE(std::string(error.what()).find("range of a real"), std::string::npos) << error.what();
          throw;
        },
        RunTimeError)
        << text;
  }
}

TEST(FreeReadTest, QuotedTextsAreCutOrPadded) {
  Input in("'report.txt'\n\"a''b\"\n'it''s'\n'abcdefghijklmnopqrstuvwxyz0123'\n");
  std::string name = "old";
  readFreeFormat(in.source, {TextTarget{&name, 12}});
  EXPECT_EQ(name, "report.txt  ");
  readFreeFormat(in.source, {TextTarget{&name, 4}});
  EXPECT_EQ(name, "a''b");  // a doubled quote of the other kind stays as it is
  readFreeFormat(in.source, {TextTarget{&name, 4}});
  EXPECT_EQ(name, "it's");
  readFreeFormat(in.source, {TextTarget{&name, 25}});
  EXPECT_EQ(name, "abcdefghijklmnopqrstuvwxy");
}

TEST(FreeReadTest, QuotedTextGoesOnOverALineEnd) {
  Input in("'first\nsecond'\n");
  std::string text;
  readFreeFormat(in.source, {TextTarget{&text, 11}});
  EXPECT_EQ(text, "firstsecond");
}

TEST(FreeReadTest, EmptyQuotesAndRepeatedNullsKeepTheText) {
  Input in("''\n1*\n2* 5\n");
  std::string text = "kept";
  readFreeFormat(in.source, {TextTarget{&text, 4}});
  EXPECT_EQ(text, "kept");
  readFreeFormat(in.source, {TextTarget{&text, 4}});
  EXPECT_EQ(text, "kept");
  std::int32_t value = 0;
  readFreeFormat(in.source, {TextTarget{&text, 4}, &value, &value});
  EXPECT_EQ(text, "kept");
  EXPECT_EQ(value, 5);
}

TEST(FreeReadTest, WholeTextIsNeitherCutNorPadded) {
  const std::string name = "playa-nancite-2026-noche1.report";
  Input in("'" + name + "'\n");
  std::string text;
  readFreeFormat(in.source, {TextTarget{&text, kWholeText}});
  EXPECT_EQ(text, name);
}

TEST(FreeReadTest, EndOfInputMayEndARead) {
  Input in("1 2\n3\n");
  std::int32_t v[5] = {0, 0, 0, 0, 0};
  const auto outcome = readFreeFormat(in.source, {&v[0], &v[1], &v[2], &v[3], &v[4]}, AtEndOfInput::EndRead);
  EXPECT_TRUE(outcome.endedByEndOfInput);
  EXPECT_EQ(outcome.processed, 3u);
  EXPECT_EQ(v[2], 3);
}

struct FailureCase {
  const char* input;
  const char* messagePart;
};

class IntegerFailureTest : public ::testing::TestWithParam<FailureCase> {};

TEST_P(IntegerFailureTest, EndsTheRunWithAMessage) {
  Input in(GetParam().input);
  std::int32_t value = 0;
  try {
    readFreeFormat(in.source, {&value});
    FAIL() << "no error for " << GetParam().input;
  } catch (const RunTimeError& error) {
    const std::string message = error.what();
    EXPECT_NE(message.find("the keyboard"), std::string::npos) << message;
    EXPECT_NE(message.find(GetParam().messagePart), std::string::npos) << message;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, IntegerFailureTest,
    ::testing::Values(FailureCase{"abc\n", "expected a whole number such as 10, found \"abc\""},
                      FailureCase{"3.0\n", "found \"3.0\""},
                      FailureCase{"2147483648\n", "from -2147483648 to 2147483647"},
                      FailureCase{"'5'\n", "found the text"}, FailureCase{"", "end of input"},
                      FailureCase{"\n\n", "end of input"}, FailureCase{"12x\n", "line 1"},
                      FailureCase{"\n7q\n", "line 2"}, FailureCase{"0*3\n", "repeat count"}));

TEST(FreeReadTest, TextWithoutQuotesFails) {
  Input in("report.txt\n");
  std::string name;
  EXPECT_THROW(readFreeFormat(in.source, {TextTarget{&name, 25}}), RunTimeError);
}

TEST(FreeReadTest, UnclosedQuoteAtEndOfInputFails) {
  Input in("'report.txt\n");
  std::string name;
  EXPECT_THROW(readFreeFormat(in.source, {TextTarget{&name, 25}}), RunTimeError);
}

TEST(FreeReadTest, BoundedIntegerRefusesValuesOutside) {
  Input in("32767 -32767 32768\n");
  std::int32_t a = 0, b = 0, c = 0;
  const BoundedIntegerTarget targets[] = {{&a, -32767, 32767}, {&b, -32767, 32767}, {&c, -32767, 32767}};
  const ReadTarget list[] = {targets[0], targets[1], targets[2]};
  try {
    readFreeFormat(in.source, list, AtEndOfInput::Fail, [](std::size_t i) {
      return ValueName{"count " + std::to_string(i + 1), "12"};
    });
    FAIL();
  } catch (const RunTimeError& error) {
    EXPECT_STREQ(error.what(),
                 "count 3 (the keyboard, line 1): expected a whole number from -32767 to 32767, found \"32768\"");
  }
  EXPECT_EQ(a, 32767);
  EXPECT_EQ(b, -32767);
}

TEST(OneLineReadsTest, CharacterAndFixedLine) {
  Input in("\nyes\n Y\nshort\r\n");
  EXPECT_EQ(readCharacter(in.source), ' ');
  EXPECT_EQ(readCharacter(in.source), 'y');
  EXPECT_EQ(readCharacter(in.source), ' ');
  EXPECT_EQ(readFixedLine(in.source, 8), "short   ");
  EXPECT_THROW(readCharacter(in.source), RunTimeError);
}

}  // namespace
}  // namespace arribada::text
