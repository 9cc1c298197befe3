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
  if (detail::IsDecimalDigit(c)) {
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

// The explicit exponent, saturated far beyond any length a text can have, so that adding a digit
// count to it can neither overflow nor change its meaning.
std::int64_t ExponentValue(std::string_view exponent) {
  constexpr std::int64_t kSaturation = 100'000'000'000'000'000;
  bool negative = false;
  if (!exponent.empty() && (exponent[0] == '+' || exponent[0] == '-')) {
    negative = exponent[0] == '-';
    exponent.remove_prefix(1);
  }
  std::int64_t value = 0;
  for (const char c : exponent) {
    if (value < kSaturation) value = value * 10 + (c - '0');
  }
  return negative ? -value : value;
}

// Whether a decimal number that does not fit a double is too large rather than too small: its
// leading non-zero digit stands at a positive power of ten. Asked only once from_chars has found
// the number out of range, so it takes the number apart again.
bool IsTooLarge(std::string_view number) {
  if (number.front() == '-') number.remove_prefix(1);
  const std::size_t letter = number.find_first_of("Ee");
  const std::int64_t exponent =
      letter == std::string_view::npos ? 0 : ExponentValue(number.substr(letter + 1));
  const std::string_view mantissa = number.substr(0, letter);
  const std::size_t period = mantissa.find('.');
  const std::string_view integer = mantissa.substr(0, period);
  const std::string_view fraction =
      period == std::string_view::npos ? std::string_view() : mantissa.substr(period + 1);

  const std::size_t leading = integer.find_first_not_of('0');
  if (leading != std::string_view::npos) {
    return static_cast<std::int64_t>(integer.size() - leading) + exponent > 0;
  }
  const std::size_t fractionLeading = fraction.find_first_not_of('0');
  if (fractionLeading == std::string_view::npos) return false;  // zero always fits
  return exponent - static_cast<std::int64_t>(fractionLeading) > 0;
}

// from_chars reads exactly this form (strtod's decimal form, without leading blanks) and tells
// where it ends, once two differences are dealt with: it takes no "+" before the number, and it
// would also read "inf" and "nan". So the sign must be followed by a digit or a period.
Reading DecimalReading(std::string_view text) {
  const std::size_t sign = !text.empty() && (text[0] == '+' || text[0] == '-') ? 1 : 0;
  if (sign == text.size() || !(detail::IsDecimalDigit(text[sign]) || text[sign] == '.')) return {};
  const char* const first = text.data() + (text[0] == '+' ? 1 : 0);
  double value = 0;
  const auto [end, error] = detail::ReadDouble(first, text.data() + text.size(), value);
  if (error == std::errc::invalid_argument) return {};  // a period without a digit
  const auto length = static_cast<std::size_t>(end - text.data());
  if (error == std::errc::result_out_of_range) {
    const std::string_view number(first, static_cast<std::size_t>(end - first));
    const double magnitude = IsTooLarge(number) ? kBeyondRange : 0;  // too small: a zero
    return {number.front() == '-' ? -magnitude : magnitude, length};
  }
  return {value, length};
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
  while (period < written.size() && detail::IsDecimalDigit(written[period])) ++period;
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
