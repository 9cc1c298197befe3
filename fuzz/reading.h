#pragma once

// What the fuzz targets expect of CoordinateFromText on any input: a finite double, or the
// overflow error 6, and nothing else. Anything else stops the run with a message, so that
// libFuzzer records the input that caused it.

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string_view>

#include "point/conversions.h"

namespace fuzzing {

[[noreturn]] inline void Fail(const char* what) {
  std::fprintf(stderr, "broken invariant: %s\n", what);
  std::fflush(stderr);
  std::abort();
}

struct Reading {
  bool overflow = false;
  double value = 0;  // 0 when overflow
};

inline Reading Read(std::string_view text) {
  try {
    const double value = point::CoordinateFromText(text);
    if (!std::isfinite(value)) Fail("CoordinateFromText returned a value that is not finite");
    return {false, value};
  } catch (const point::RuntimeError& error) {
    if (error.number() != 6) Fail("CoordinateFromText raised a run-time error other than 6");
    if (std::string_view(error.what()) != "Переполнение") Fail("error 6 has the wrong text");
    return {true, 0};
  } catch (const std::exception& error) {
    std::fprintf(stderr, "exception: %s\n", error.what());
    Fail("CoordinateFromText threw something other than RuntimeError");
  }
}

}  // namespace fuzzing
