// NumberText on every double that 8 bytes can hold, checked against the C library's "%.15G", and
// read back by CoordinateFromText. The value read back is compared with a reference made without
// NumberText: the double rounded to 15 significant digits by to_chars in scientific form, then
// read by from_chars.

#include <version>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <system_error>

#include "fuzz/reading.h"

namespace {

using fuzzing::Fail;
using fuzzing::Read;
using fuzzing::Reading;

// What reading the 15-digit text of `value` must give. Where the C++ library has no floating-point
// <charconv> (GCC 10's, as in Debian 11), the C library's, which rounds as exactly, and which
// reads and writes a period here, since the fuzzer never sets a locale.
Reading RoundedToFifteenDigits(double value) {
  char digits[48];
  double rounded = 0;
#ifdef __cpp_lib_to_chars
  const auto written =
      std::to_chars(digits, digits + sizeof digits, value, std::chars_format::scientific, 14);
  if (written.ec != std::errc()) Fail("to_chars buffer too small");
  const auto read = std::from_chars(digits, written.ptr, rounded);
  const bool outOfRange = read.ec == std::errc::result_out_of_range;
  const bool rejected = read.ec != std::errc() || read.ptr != written.ptr;
#else
  const int length = std::snprintf(digits, sizeof digits, "%.14e", value);
  if (length < 0 || static_cast<std::size_t>(length) >= sizeof digits) Fail("buffer too small");
  char* end = nullptr;
  errno = 0;
  rounded = std::strtod(digits, &end);
  // (strtod also reports ERANGE for a subnormal result, which from_chars gives without one.)
  const bool outOfRange = errno == ERANGE && std::isinf(rounded);
  const bool rejected = end != digits + length;
#endif
  if (outOfRange) {
    // Rounding up to 15 digits can carry past the largest double; it can never fall to zero, as
    // the smallest double is far above half of 1E-324.
    const bool tooLarge = std::abs(value) > 1;
    if (!tooLarge) Fail("the 15-digit reference underflowed");
    return {true, 0};
  }
  if (rejected) Fail("the 15-digit reference could not be read back");
  return {false, rounded};
}

std::string Replaced(std::string text, char from, std::string_view to) {
  std::string out;
  for (const char c : text) {
    if (c == from) {
      out += to;
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < sizeof(double)) return 0;
  double value = 0;
  std::memcpy(&value, data, sizeof value);

  const std::string text = point::NumberText(value, ".");
  if (text.find(' ') != std::string::npos) Fail("NumberText wrote a space");
  if (text == "-0") Fail("NumberText wrote -0");

  if (std::isnan(value)) {
    if (text != "NaN") Fail("NaN is not written NaN");
    return 0;
  }
  if (std::isinf(value)) {
    if (text != (value > 0 ? "Infinity" : "-Infinity")) Fail("an infinity is written wrongly");
    return 0;
  }

  // The fuzzer never sets a locale, so the C library writes a period.
  char model[48];
  std::snprintf(model, sizeof model, "%.15G", value);
  if (value == 0 ? text != "0" : text != model) {
    std::fprintf(stderr, "NumberText: %s, %%.15G: %s\n", text.c_str(), model);
    Fail("NumberText differs from %.15G");
  }

  for (const std::string_view separator : {",", "\u066B"}) {
    if (point::NumberText(value, separator) != Replaced(text, '.', separator)) {
      Fail("another separator changed more than the period");
    }
  }

  const Reading back = Read(text);
  const Reading expected = RoundedToFifteenDigits(value);
  if (back.overflow != expected.overflow || back.value != expected.value) {
    std::fprintf(stderr, "text %s read back as %.17g (overflow %d), expected %.17g (overflow %d)\n",
                 text.c_str(), back.value, back.overflow, expected.value, expected.overflow);
    Fail("reading NumberText back gave other than the double rounded to 15 digits");
  }
  return 0;
}
