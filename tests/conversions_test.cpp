#include "point/conversions.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
#include <string>

namespace {

using point::CoordinateFromText;
using point::NumberText;

constexpr double kMax = std::numeric_limits<double>::max();
constexpr double kTiny = std::numeric_limits<double>::denorm_min();
constexpr std::nullopt_t kOverflow = std::nullopt;

// A double's bits; std::bit_cast is missing from the C++ library of the WebAssembly build.
std::uint64_t Bits(double value) {
  std::uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

// What a text reads as: a value, compared bit for bit so that 0 and -0 differ, or the overflow.
void ExpectReads(const std::string& text, std::optional<double> expected) {
  SCOPED_TRACE("text: \"" + text.substr(0, 60) + "\"");
  try {
    const double value = CoordinateFromText(text);
    ASSERT_TRUE(expected) << "read " << value << " instead of overflowing";
    EXPECT_EQ(Bits(value), Bits(*expected)) << "read " << value << ", expected " << *expected;
  } catch (const point::RuntimeError& e) {
    EXPECT_FALSE(expected) << "RuntimeError " << e.number() << ": " << e.what();
    EXPECT_EQ(e.number(), 6);
    EXPECT_STREQ(e.what(), "Переполнение");
  }
}

struct Reading {
  std::string text;
  std::optional<double> value;
};

// clang-format off
TEST(CoordinateFromText, ReadsTheDecimalGrammar) {
  const Reading rows[] = {
      {"", 0}, {" \t\n", 0}, {"- 7", -7}, {"1 2 3", 123}, {"12abc", 12}, {"abc12", 0},
      {"1,5", 1}, {".5", 0.5}, {"5.", 5}, {"+.5", 0.5}, {"-.", 0}, {"--1", 0}, {"1.5.5", 1.5},
      {"1 e - 2", 0.01}, {"1e", 1}, {"1e+", 1}, {"1D2", 1}, {"inf", 0}, {"0x1A", 0},
      // Only space, tab and line feed are removed; other blanks end the number.
      {"1\r5", 1}, {"1\u00A05", 1}, {std::string("4\0" "2", 3), 4},
      {"-0", -0.0}, {"-1e-400", -0.0},
  };
  for (const Reading& row : rows) ExpectReads(row.text, row.value);
}

TEST(CoordinateFromText, ReadsHexadecimalAndOctalAsSixteenOrThirtyTwoBitIntegers) {
  const Reading rows[] = {
      {"&HFFFF", -1}, {"&H10", 16}, {"&H12G", 18}, {"&O17", 15}, {"&h1f", 31}, {"& o 1 7", 15},
      {"&H7FFF", 32767}, {"&H8000", -32768}, {"&H10000", 65536}, {"&H0000000000FFFF", -1},
      {"&H80000000", -2147483648.0}, {"&HFFFFFFFF", -1}, {"&O37777777777", -1},
      {"&H100000000", kOverflow}, {"&O40000000000", kOverflow},
      {"&HFFFFFFFFFFFFFFFFFFFF1", kOverflow},
      {"&O8", 0}, {"&H", 0}, {"&X1", 0}, {"-&H10", 0},
  };
  for (const Reading& row : rows) ExpectReads(row.text, row.value);
}

TEST(CoordinateFromText, RoundsCorrectlyAtTheEdgesOfTheRange) {
  const Reading rows[] = {
      {"1.7976931348623158e308", kMax},  // rounds down to the largest double
      {"-1.7976931348623158e308", -kMax},
      {"1.7976931348623159e308", kOverflow},
      {"1" + std::string(309, '0'), kOverflow},
      {"0.0001e313", kOverflow},
      {"1e99999999999999999999999", kOverflow},
      {"4.9406564584124654e-324", kTiny},
      {"2.4703282292062328e-324", kTiny},  // just above half the smallest double
      {"2.4703282292062327e-324", 0},      // just below half: the nearest double is 0
      {"1e-99999999999999999999999", 0},
      {"9007199254740993", 9007199254740992},  // a tie, to even
      {"9007199254740993." + std::string(800, '0') + "1", 9007199254740994},
      {"0." + std::string(400, '0') + "1e400", 0.1},
      // Megabytes of input.
      {"1" + std::string(1 << 20, '0') + "e-1048576", 1},
      {std::string(1 << 20, ' ') + "-5", -5},
  };
  for (const Reading& row : rows) ExpectReads(row.text, row.value);
}

TEST(NumberText, WritesFifteenSignificantDigitsLikePercentG) {
  const struct {
    double value;
    std::string text;
  } rows[] = {
      {1000, "1000"}, {-2.5, "-2.5"}, {1.0 / 3, "0.333333333333333"}, {0.1 + 0.2, "0.3"},
      {0.6288225455292035, "0.628822545529203"},  // rounded on the binary value, not its repr
      {999999999999999, "999999999999999"},
      {999999999999999.5, "1E+15"},  // the rounding carries into exponent form
      {1e100, "1E+100"}, {0.0001, "0.0001"}, {0.000099999999999999995, "0.0001"},
      {0.00001, "1E-05"}, {kTiny, "4.94065645841247E-324"}, {-0.0, "0"},
      {-std::numeric_limits<double>::infinity(), "-Infinity"},
  };
  for (const auto& row : rows) EXPECT_EQ(NumberText(row.value, "."), row.text) << row.value;
}
// clang-format on

TEST(NumberText, UsesOnlyTheGivenSeparator) {
  EXPECT_EQ(NumberText(-1.5e-20, ","), "-1,5E-20");
  EXPECT_EQ(NumberText(2.5, "\u066B"), "2\u066B5");  // Arabic decimal separator, two bytes
}

// Under a Russian locale the C library's decimal point is ","; the conversions must not follow
// it. On Linux the locale comes from the build folder (LOCPATH), made there by localedef.
#ifdef _WIN32
constexpr const char* kRussianLocale = "Russian_Russia.1251";
#else
constexpr const char* kRussianLocale = "ru_RU.UTF-8";
#endif

TEST(Conversions, IgnoreTheCLocale) {
#ifdef __EMSCRIPTEN__
  GTEST_SKIP() << "the C library of the WebAssembly build knows only the C locale";
#endif
  const std::string previous = std::setlocale(LC_ALL, nullptr);
  ASSERT_NE(std::setlocale(LC_ALL, kRussianLocale), nullptr) << kRussianLocale << " is missing";
  ASSERT_STREQ(std::localeconv()->decimal_point, ",");
  const double half = CoordinateFromText("2.5");
  const double comma = CoordinateFromText("2,5");
  const std::string text = NumberText(2.5, ".");
  std::setlocale(LC_ALL, previous.c_str());
  EXPECT_EQ(half, 2.5);
  EXPECT_EQ(comma, 2);
  EXPECT_EQ(text, "2.5");
}

}  // namespace
