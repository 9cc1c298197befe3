#pragma once

// Where a point lies with respect to the coordinate axes, and the line that reports it.

#include <string>
#include <string_view>

namespace point {

struct Point {
  double x;
  double y;
};

// In the order in which ClassifyPoint tests them.
enum class PointPosition { Origin, AxisY, AxisX, QuadrantI, QuadrantII, QuadrantIII, QuadrantIV };

// Compares each coordinate with zero numerically: a zero of either sign is zero, and any other
// value, however small, is positive or negative. NaN, which no coordinate read from a text can
// be, counts as neither zero nor positive and lands in QuadrantIV.
PointPosition ClassifyPoint(const Point& point);

// The one-line report of `position`, for instance "X = 2; Y = -5; Пложение: IV четверть".
// Coordinates are written by NumberText in `decimalSeparator`; a coordinate that the position
// says is zero is written as a plain 0. UTF-8, with no line break.
std::string ResultText(const Point& point, PointPosition position,
                       std::string_view decimalSeparator);

}  // namespace point
