#include "point/conversions.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

namespace point {
namespace {

constexpr std::string_view kBlanks = " \t\n";

constexpr bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The text with every blank removed; `storage` holds the copy, made only when there is a blank.
std::string_view WithoutBlanks(std::string_view text, std::string& storage) {
  if (text.find_first_of(kBlanks) == std::string_view::npos) return text;
  storage.reserve(text.size());
  for (const char c : text) {
    if (kBlanks.find(c) == std::string_view::npos) storage.push_back(c);
  }
  return storage;
}

// ---- Hexadecimal and octal: "&H1F", "&O17" ----

// The value of a digit in `base` (8 or 16), if c is one.
std::optional<unsigned> RadixDigit(char c, unsigned base) {
  unsigned value = 0;
  if (IsDigit(c)) {
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

// `text` follows the "&". Values that fit in 16 bits are signed 16-bit integers, wider ones up to
// 32 bits signed 32-bit integers, the way such literals are read in the languages that have them.
double RadixValue(std::string_view text) {
  if (text.empty()) return 0;
  unsigned base = 0;
  switch (text.front()) {
    case 'H':
    case 'h':
      base = 16;
      break;
    case 'O':
    case 'o':
      base = 8;
      break;
    default:
      return 0;
  }
  std::uint64_t value = 0;
  for (const char c : text.substr(1)) {
    const std::optional<unsigned> digit = RadixDigit(c, base);
    if (!digit) break;
    value = value * base + *digit;
    // Digits only grow the value, so the first excess is final (and bounds the arithmetic).
    if (value > 0xFFFFFFFFu) throw OverflowError();
  }
  if (value <= 0xFFFFu) return static_cast<std::int16_t>(static_cast<std::uint16_t>(value));
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

// ---- Decimal: [sign] digits [. digits] [E [sign] digits] ----

// Where the parts of a decimal number stand in the text.
struct DecimalSpans {
  bool negative = false;
  std::string_view integer;          // digits before the period
  std::string_view fraction;         // digits after the period
  std::string_view exponent;         // after the letter E: optional sign and at least one digit
  std::string_view unsigned_number;  // from the first digit or period to the end of the number
};

std::string_view LeadingDigits(std::string_view text) {
  std::size_t n = 0;
  while (n < text.size() && IsDigit(text[n])) ++n;
  return text.substr(0, n);
}

// The spans of the number at the start of `text`, if it has at least one digit.
std::optional<DecimalSpans> ScanDecimal(std::string_view text) {
  DecimalSpans spans;
  std::size_t pos = 0;
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
    spans.negative = text[0] == '-';
    pos = 1;
  }
  const std::size_t start = pos;

  spans.integer = LeadingDigits(text.substr(pos));
  pos += spans.integer.size();
  if (pos < text.size() && text[pos] == '.') {
    spans.fraction = LeadingDigits(text.substr(pos + 1));
    pos += 1 + spans.fraction.size();
  }
  if (spans.integer.empty() && spans.fraction.empty()) return std::nullopt;

  // The exponent belongs to the number only when it has a digit: "1e" and "1e+" read 1.
  if (pos < text.size() && (text[pos] == 'E' || text[pos] == 'e')) {
    std::size_t digits = pos + 1;
    if (digits < text.size() && (text[digits] == '+' || text[digits] == '-')) ++digits;
    const std::string_view exponentDigits = LeadingDigits(text.substr(digits));
    if (!exponentDigits.empty()) {
      spans.exponent = text.substr(pos + 1, digits - (pos + 1) + exponentDigits.size());
      pos = digits + exponentDigits.size();
    }
  }
  spans.unsigned_number = text.substr(start, pos - start);
  return spans;
}

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

// Whether a number that does not fit a double is too large rather than too small: its leading
// non-zero digit stands at a positive power of ten.
bool IsTooLarge(const DecimalSpans& spans) {
  const std::int64_t exponent = ExponentValue(spans.exponent);
  const std::size_t leading = spans.integer.find_first_not_of('0');
  if (leading != std::string_view::npos) {
    return static_cast<std::int64_t>(spans.integer.size() - leading) + exponent > 0;
  }
  const std::size_t fractionLeading = spans.fraction.find_first_not_of('0');
  if (fractionLeading == std::string_view::npos) return false;  // zero always fits
  return exponent - static_cast<std::int64_t>(fractionLeading) > 0;
}

double DecimalValue(const DecimalSpans& spans) {
  const std::string_view number = spans.unsigned_number;
  double value = 0;
  const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value,
                                            std::chars_format::general);
  if (error == std::errc::result_out_of_range) {
    if (IsTooLarge(spans)) throw OverflowError();
    value = 0;
  } else if (error != std::errc() || end != number.data() + number.size()) {
    // The scanner hands over only what from_chars accepts; anything else is a fault here.
    throw std::logic_error("decimal number not accepted by from_chars");
  }
  return spans.negative ? -value : value;
}

}  // namespace

double CoordinateFromText(std::string_view text) {
  std::string storage;
  const std::string_view compact = WithoutBlanks(text, storage);
  if (!compact.empty() && compact.front() == '&') return RadixValue(compact.substr(1));
  const std::optional<DecimalSpans> spans = ScanDecimal(compact);
  return spans ? DecimalValue(*spans) : 0.0;
}

std::string NumberText(double value, std::string_view decimalSeparator) {
  if (value == 0) return "0";  // also for -0: a zero is never shown with a sign
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value < 0 ? "-Infinity" : "Infinity";

  // "-1.23456789012345e-308" is the longest that can come out.
  char buffer[32];
  const auto [end, error] =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
  if (error != std::errc()) throw std::logic_error("to_chars buffer too small");

  std::string text;
  text.reserve(static_cast<std::size_t>(end - buffer) + decimalSeparator.size());
  for (const char* p = buffer; p != end; ++p) {
    if (*p == '.') {
      text += decimalSeparator;
    } else if (*p == 'e') {
      text += 'E';
    } else {
      text += *p;
    }
  }
  return text;
}

}  // namespace point
