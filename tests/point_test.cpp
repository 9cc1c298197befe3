#include "point/point.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ResultText, WritesTheLineOfEachPosition) {
  const struct {
    double x;
    double y;
    const char* separator;
    std::string line;
  } rows[] = {
      {0, 0, ".", "X = 0; Y = 0; Положение - начало координат"},
      {0, -2.5, ".", "X = 0; Y = -2.5; Положение - ось Y"},
      {3, 0, ".", "X = 3; Y=0; Положение ось X"},
      {2, 5, ".", "X = 2; Y = 5; Пложение: I четверть"},
      {-2, 5, ".", "X = -2; Y = 5; Пложение: II четверть"},
      {-2, -5, ".", "X = -2; Y = -5; Пложение: III четверть"},
      {2, -5, ".", "X = 2; Y = -5; Пложение: IV четверть"},
      // Zeros of either sign are zero, and a zero the position implies is a plain 0.
      {-0.0, 7, ".", "X = 0; Y = 7; Положение - ось Y"},
      {3, -0.0, ".", "X = 3; Y=0; Положение ось X"},
      {-0.0, -0.0, ".", "X = 0; Y = 0; Положение - начало координат"},
      // However small, a non-zero coordinate is not on an axis.
      {0.000001, -1, ".", "X = 1E-06; Y = -1; Пложение: IV четверть"},
      {-5e-324, 1e300, ".", "X = -4.94065645841247E-324; Y = 1E+300; Пложение: II четверть"},
      {0.1, 0.25, ",", "X = 0,1; Y = 0,25; Пложение: I четверть"},
  };
  for (const auto& row : rows) {
    const point::Point p{row.x, row.y};
    EXPECT_EQ(point::ResultText(p, point::ClassifyPoint(p), row.separator), row.line)
        << "x " << row.x << ", y " << row.y;
  }
}

}  // namespace
