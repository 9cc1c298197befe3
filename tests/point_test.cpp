#include "point/point.h"

#include <gtest/gtest.h>

#include <string>

#include "point/conversions.h"

namespace {

using point::ClassifyPoint;
using point::Point;
using point::PointPosition;
using point::ResultText;

std::string Line(double x, double y, const char* separator = ".") {
  const Point p{x, y};
  return ResultText(p, ClassifyPoint(p), separator);
}

struct LineRow {
  double x;
  double y;
  const char* separator;
  std::string line;
};

TEST(ResultText, WritesTheLineOfEachPosition) {
  const LineRow rows[] = {
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
  for (const LineRow& row : rows) {
    EXPECT_EQ(Line(row.x, row.y, row.separator), row.line) << "x " << row.x << ", y " << row.y;
  }
}

TEST(ClassifyPoint, TestsTheAxesBeforeTheQuadrants) {
  EXPECT_EQ(ClassifyPoint({0, -1}), PointPosition::AxisY);
  EXPECT_EQ(ClassifyPoint({-1, 0}), PointPosition::AxisX);
  EXPECT_EQ(ClassifyPoint({-0.0, 0.0}), PointPosition::Origin);
}

// What a whole check computes from the two texts a user types.
TEST(ResultText, FromTypedTexts) {
  const struct {
    const char* x;
    const char* y;
    std::string line;
  } rows[] = {
      {"", "5", "X = 0; Y = 5; Положение - ось Y"},
      {"12abc", "-3", "X = 12; Y = -3; Пложение: IV четверть"},
      {"1,5", "2", "X = 1; Y = 2; Пложение: I четверть"},
      {"&HFFFF", "- 0", "X = -1; Y=0; Положение ось X"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(Line(point::CoordinateFromText(row.x), point::CoordinateFromText(row.y)), row.line)
        << row.x << " / " << row.y;
  }
}

}  // namespace
