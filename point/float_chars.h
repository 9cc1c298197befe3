#pragma once

// Exact decimal reading and writing of a double, in the C locale's form, for the conversions.
// Where the standard library has the floating-point <charconv> they are std::from_chars and
// std::to_chars. Where it has not (the libc++ of the WebAssembly build), reading is fast_float's
// from_chars, the algorithm behind libstdc++'s, and writing is the C library's "%.*g", which in
// that C library (musl) is exact and knows only the "C" locale.

#include <version>

#include <charconv>
#include <system_error>

#ifndef __cpp_lib_to_chars
#include <cstdio>

#include <fast_float/fast_float.h>
#endif

namespace point::detail {

// As std::from_chars in the general format, for a text that starts with a digit, a period, or "-"
// and one of those (so never "inf" or "nan"). A number beyond the range of a double gives
// std::errc::result_out_of_range from the standard library, and an infinity or a zero of its sign
// from fast_float.
inline std::from_chars_result ReadDouble(const char* first, const char* last, double& value) {
#ifdef __cpp_lib_to_chars
  return std::from_chars(first, last, value, std::chars_format::general);
#else
  const auto [end, error] = fast_float::from_chars(first, last, value);
  return {end, error};
#endif
}

// As std::to_chars in the general format with `precision` significant digits (printf's "%.*g").
inline std::to_chars_result WriteDouble(char* first, char* last, double value, int precision) {
#ifdef __cpp_lib_to_chars
  return std::to_chars(first, last, value, std::chars_format::general, precision);
#else
  const int length =
      std::snprintf(first, static_cast<std::size_t>(last - first), "%.*g", precision, value);
  if (length < 0 || length >= last - first) return {last, std::errc::value_too_large};
  return {first + length, std::errc()};
#endif
}

}  // namespace point::detail
