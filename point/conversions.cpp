#include "point/conversions.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <limits>
#include <optional>
#include <stdexcept>

#include "point/float_chars.h"

namespace point {
namespace {

constexpr bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n'; }
constexpr bool IsDecimalDigit(char c) { return c >= '0' && c <= '9'; }

constexpr double kBeyondRange = std::numeric_limits<double>::infinity();

// A number read from the start of a text as the text stands, blanks and all.
struct Reading {
  double value = 0;     // infinite when the number lies beyond the range of a double
  std::size_t end = 0;  // the first character that the number does not take
};

// ---- Hexadecimal and octal: "&H1F", "&O17" ----

// The value of a digit in `base` (8 or 16), if c is one.
std::optional<unsigned> RadixDigit(char c, unsigned base) {
  unsigned value = 0;
  if (IsDecimalDigit(c)) {
    value = static_cast<unsigned>(c - '0');
  } else if (c >= 'A' && c <= 'F') {
    value = static_cast<unsigned>(c - 'A' + 10);
  } else if (c >= 'a' && c <= 'f') {
    value = static_cast<unsigned>(c - 'a' + 10);
  } else {
    return std::nullopt;
  }
  if (value >= base) return std::nullopt;
  return value;
}

// `text` starts with "&". Values that fit in 16 bits are signed 16-bit integers, wider ones up to
// 32 bits signed 32-bit integers, the way such literals are read in the languages that have them.
Reading RadixReading(std::string_view text) {
  unsigned base = 0;
  switch (text.size() > 1 ? text[1] : '\0') {
    case 'H':
    case 'h':
      base = 16;
      break;
    case 'O':
    case 'o':
      base = 8;
      break;
    default:
      return {0, 1};
  }
  std::uint64_t value = 0;
  std::size_t pos = 2;
  for (; pos < text.size(); ++pos) {
    const std::optional<unsigned> digit = RadixDigit(text[pos], base);
    if (!digit) break;
    value = value * base + *digit;
    // Digits only grow the value, so the first excess is final (and bounds the arithmetic).
    if (value > 0xFFFFFFFFu) return {kBeyondRange, pos + 1};
  }
  const auto bits = static_cast<std::uint32_t>(value);
  if (value <= 0xFFFFu) return {static_cast<double>(static_cast<std::int16_t>(bits)), pos};
  return {static_cast<double>(static_cast<std::int32_t>(bits)), pos};
}

// ---- Decimal: [sign] digits [. digits] [E [sign] digits] ----

// Where the parts of a decimal number stand in the text, as views into it.
struct DecimalSpans {
  std::string_view sign;  // "+", "-" or empty
  std::string_view integer;
  std::string_view fraction;
  std::string_view exponentSign;
  std::string_view exponent;  // empty where the number has no exponent
  std::size_t end = 0;        // the first character that the number does not take; 0 for none
};

// The one walk over the grammar, in the order the text is read: the parts of the number at the
// start of `text`, or none.
DecimalSpans ScanDecimal(std::string_view text) {
  std::size_t pos = 0;
  // The two kinds of step: one of `chars` or nothing, and a run of digits, perhaps empty.
  const auto takeOneOf = [&text, &pos](auto... chars) {
    const std::size_t length = pos < text.size() && ((text[pos] == chars) || ...) ? 1 : 0;
    pos += length;
    return std::string_view(text.data() + pos - length, length);
  };
  const auto takeDigits = [&text, &pos] {
    const std::size_t start = pos;
    while (pos < text.size() && IsDecimalDigit(text[pos])) ++pos;
    return std::string_view(text.data() + start, pos - start);
  };
  DecimalSpans number;
  number.sign = takeOneOf('+', '-');
  number.integer = takeDigits();
  if (!takeOneOf('.').empty()) number.fraction = takeDigits();
  if (number.integer.empty() && number.fraction.empty()) return number;  // no digit: end 0
  // An exponent letter without digits is not part of the number ("1e+" reads 1).
  const std::size_t mantissaEnd = pos;
  if (!takeOneOf('e', 'E').empty()) {
    const std::string_view exponentSign = takeOneOf('+', '-');
    number.exponent = takeDigits();
    if (!number.exponent.empty()) number.exponentSign = exponentSign;
  }
  if (number.exponent.empty()) pos = mantissaEnd;
  number.end = pos;
  return number;
}

// Whether a number that does not fit a double is too large rather than too small: its leading
// non-zero digit stands at a positive power of ten.
bool IsTooLarge(const DecimalSpans& number) {
  constexpr std::size_t kNone = std::string_view::npos;
  const std::size_t integerLeading = number.integer.find_first_not_of('0');
  const std::size_t fractionLeading = number.fraction.find_first_not_of('0');
  if (integerLeading == kNone && fractionLeading == kNone) return false;  // zero always fits
  const std::int64_t place = integerLeading != kNone
                                 ? static_cast<std::int64_t>(number.integer.size() - integerLeading)
                                 : -static_cast<std::int64_t>(fractionLeading);
  // The exponent saturates far beyond any length a text can have, so that adding the place to it
  // can neither overflow nor change the answer.
  std::int64_t exponent = 0;
  for (const char c : number.exponent) {
    if (exponent < 100'000'000'000'000'000) exponent = exponent * 10 + (c - '0');
  }
  return place + (number.exponentSign == "-" ? -exponent : exponent) > 0;
}

// The scanner's number, converted exactly. from_chars finds the number's end itself, by the same
// grammar, once the sign is dealt with (it takes no "+", and would read "inf" and "nan" too): the
// scanner's walk would only repeat it, so there it runs only to tell which way a number out of
// range went. strtod would read hexadecimal too, and needs a copy that ends: the scanner bounds it.
Reading DecimalReading(std::string_view text) {
  DecimalSpans number;
  const char* first = text.data();
  if constexpr (detail::kReadingFindsTheEnd) {
    const std::size_t sign = !text.empty() && (text[0] == '+' || text[0] == '-') ? 1 : 0;
    if (sign == text.size() || !(IsDecimalDigit(text[sign]) || text[sign] == '.')) return {};
    first += text[0] == '+' ? 1 : 0;
  } else {
    number = ScanDecimal(text);
    if (number.end == 0) return {};
    first = number.sign == "-" ? number.sign.data() : number.integer.data();
  }
  double value = 0;
  const auto [end, error] =
      detail::ReadDouble(first, text.data() + (number.end == 0 ? text.size() : number.end), value);
  if (error == std::errc::invalid_argument) return {};  // a period without a digit
  if (error == std::errc::result_out_of_range) {
    if (number.end == 0) number = ScanDecimal(text);
    const double magnitude = IsTooLarge(number) ? kBeyondRange : 0;  // too small: a zero
    value = number.sign == "-" ? -magnitude : magnitude;
  }
  return {value, static_cast<std::size_t>(end - text.data())};
}

Reading NumberReading(std::string_view text) {
  if (!text.empty() && text.front() == '&') return RadixReading(text);
  return DecimalReading(text);
}

}  // namespace

// Every blank is removed before a text is read, but blanks are rare, and looking through every
// text for them cost as much as reading it. No number contains a blank, so a blank can change the
// reading only where the reading stopped or in the two characters after, where an exponent could
// have gone on ("1e 5", "1e+ 5"); before any number, the reading stops at the first character.
// Only then is the text read again without its blanks.
double CoordinateFromText(std::string_view text) {
  Reading reading = NumberReading(text);
  const std::string_view stop = text.substr(std::min(reading.end, text.size()), 3);
  if (std::any_of(stop.begin(), stop.end(), [](char c) { return IsBlank(c); })) {
    std::string compact;
    compact.reserve(text.size());
    std::remove_copy_if(text.begin(), text.end(), std::back_inserter(compact),
                        [](char c) { return IsBlank(c); });
    reading = NumberReading(compact);
  }
  if (std::isinf(reading.value)) throw OverflowError();
  return reading.value;
}

std::string NumberText(double value, std::string_view decimalSeparator) {
  if (value == 0) return "0";  // also for -0: a zero is never shown with a sign
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value < 0 ? "-Infinity" : "Infinity";

  // "-1.23456789012345e-308" is the longest that can come out.
  char buffer[32];
  const auto [end, error] = detail::WriteDouble(buffer, buffer + sizeof buffer, value, 15);
  if (error != std::errc()) throw std::logic_error("NumberText buffer too small");

  // Both marks are found by where WriteDouble puts them, not by a search over the text (even
  // memchr's took a tenth of the time): the period follows the leading digits, and the "e"
  // stands before a sign and two or three digits. The C library writes "E".
  const std::string_view written(buffer, static_cast<std::size_t>(end - buffer));
  for (const std::size_t fromEnd : {4, 5}) {
    if (written.size() > fromEnd && written[written.size() - fromEnd] == 'e') {
      buffer[written.size() - fromEnd] = 'E';
    }
  }
  std::size_t period = written[0] == '-' ? 1 : 0;
  while (period < written.size() && IsDecimalDigit(written[period])) ++period;
  if (period == written.size() || written[period] != '.') return std::string(written);
  // The usual separators take one byte: written in place, the text is made in one piece.
  if (decimalSeparator.size() == 1) {
    buffer[period] = decimalSeparator.front();
    return std::string(written);
  }
  std::string text;
  text.reserve(written.size() - 1 + decimalSeparator.size());
  text.append(written.substr(0, period))
      .append(decimalSeparator)
      .append(written.substr(period + 1));
  return text;
}

}  // namespace point
