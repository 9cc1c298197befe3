#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstring>

// Runs the tests under a locale whose decimal point is a comma, as a Russian user's program does.
int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  const char* const locale = "ru_RU.UTF-8";
  if (std::setlocale(LC_ALL, locale) == nullptr ||
      std::strcmp(std::localeconv()->decimal_point, ",") != 0) {
    std::fprintf(stderr, "%s is missing or has no decimal comma\n", locale);
    return 1;
  }
  return RUN_ALL_TESTS();
}
