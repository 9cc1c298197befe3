#pragma once

// Exact decimal reading and writing of a double, in the C locale's form, for the conversions.
// Reading needs no grammar of its own: the conversions' scanner finds the number where it must.
// Where the standard library has the floating-point <charconv> they are std::from_chars and
// std::to_chars. Where it has not, the C library does the work:
// - in the WebAssembly build, reading is fast_float's from_chars, the algorithm behind
//   libstdc++'s, and writing is "%.*g" of its C library (musl), which is exact and knows only the
//   "C" locale;
// - elsewhere (GCC 10's libstdc++, or any compiler with QUADRANT_C_FLOAT_CHARS defined), reading
//   is glibc's strtod_l and writing its "%.*g", both correctly rounded. Both would follow the
//   process's LC_NUMERIC ("2,5" under ru_RU), so both are given a "C" locale of their own.

#include <version>

#include <charconv>
#include <system_error>

// The one place that chooses which of the three does the work.
#if defined(__cpp_lib_to_chars) && !defined(QUADRANT_C_FLOAT_CHARS)
#define QUADRANT_FLOAT_CHARS_STD
#elif defined(__EMSCRIPTEN__)
#define QUADRANT_FLOAT_CHARS_FAST_FLOAT
#include <fast_float/fast_float.h>
#else
#define QUADRANT_FLOAT_CHARS_GLIBC
#include <locale.h>
#include <stdlib.h>

#include <new>
#include <string>
#endif

#ifndef QUADRANT_FLOAT_CHARS_STD
#include <cstdio>
#endif

namespace point::detail {

#ifdef QUADRANT_FLOAT_CHARS_GLIBC

// The "C" locale as an object, made once for the process and never changed; freed at exit.
class CLocale {
 public:
  static locale_t Get() {
    static const CLocale instance;
    return instance.locale_;
  }

 private:
  CLocale() : locale_(newlocale(LC_ALL_MASK, "C", locale_t())) {
    if (locale_ == locale_t()) throw std::bad_alloc();
  }
  ~CLocale() { freelocale(locale_); }
  CLocale(const CLocale&) = delete;
  CLocale& operator=(const CLocale&) = delete;

  locale_t locale_;
};

// The calling thread works in the "C" locale for as long as the object lives.
class InCLocale {
 public:
  InCLocale() : previous_(uselocale(CLocale::Get())) {}
  ~InCLocale() { uselocale(previous_); }
  InCLocale(const InCLocale&) = delete;
  InCLocale& operator=(const InCLocale&) = delete;

 private:
  locale_t previous_;
};

#endif

// Whether reading finds the number's end itself, as from_chars does; strtod_l must be given just
// the number: [-] digits [. digits] [e [sign] digits].
#ifdef QUADRANT_FLOAT_CHARS_GLIBC
inline constexpr bool kReadingFindsTheEnd = false;
#else
inline constexpr bool kReadingFindsTheEnd = true;
#endif

// As std::from_chars in the general format, for a text that starts with a digit, a period, or "-"
// and one of those (so never "inf" or "nan"), or, where reading does not find the end, for just
// the number. A number beyond the range of a double gives std::errc::result_out_of_range from the
// standard library, and an infinity or a zero of its sign from the C library's path.
inline std::from_chars_result ReadDouble(const char* first, const char* last, double& value) {
#if defined(QUADRANT_FLOAT_CHARS_STD)
  return std::from_chars(first, last, value, std::chars_format::general);
#elif defined(QUADRANT_FLOAT_CHARS_FAST_FLOAT)
  const auto [end, error] = fast_float::from_chars(first, last, value);
  return {end, error};
#else
  // strtod needs a terminating NUL.
  value = strtod_l(std::string(first, last).c_str(), nullptr, CLocale::Get());
  return {last, std::errc()};
#endif
}

// As std::to_chars in the general format with `precision` significant digits (printf's "%.*g").
inline std::to_chars_result WriteDouble(char* first, char* last, double value, int precision) {
#ifdef QUADRANT_FLOAT_CHARS_STD
  return std::to_chars(first, last, value, std::chars_format::general, precision);
#else
#ifdef QUADRANT_FLOAT_CHARS_GLIBC
  const InCLocale inCLocale;
#endif
  const int length =
      std::snprintf(first, static_cast<std::size_t>(last - first), "%.*g", precision, value);
  if (length < 0 || length >= last - first) return {last, std::errc::value_too_large};
  return {first + length, std::errc()};
#endif
}

}  // namespace point::detail
