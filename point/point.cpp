#include "point/point.h"

#include "point/conversions.h"

namespace point {

PointPosition ClassifyPoint(const Point& point) {
  const double x = point.x;
  const double y = point.y;
  if (x == 0 && y == 0) return PointPosition::Origin;
  if (x == 0) return PointPosition::AxisY;
  if (y == 0) return PointPosition::AxisX;
  if (x > 0 && y > 0) return PointPosition::QuadrantI;
  if (x < 0 && y > 0) return PointPosition::QuadrantII;
  if (x < 0 && y < 0) return PointPosition::QuadrantIII;
  return PointPosition::QuadrantIV;
}

namespace {

std::string_view QuadrantName(PointPosition position) {
  switch (position) {
    case PointPosition::QuadrantI:
      return "I";
    case PointPosition::QuadrantII:
      return "II";
    case PointPosition::QuadrantIII:
      return "III";
    default:
      return "IV";
  }
}

}  // namespace

// The wording of each line, misspelling and uneven spacing included, is what users of this tool
// have always read; it is kept byte for byte.
std::string ResultText(const Point& point, PointPosition position,
                       std::string_view decimalSeparator) {
  switch (position) {
    case PointPosition::Origin:
      return "X = 0; Y = 0; Положение - начало координат";
    case PointPosition::AxisY:
      return "X = 0; Y = " + NumberText(point.y, decimalSeparator) + "; Положение - ось Y";
    case PointPosition::AxisX:
      return "X = " + NumberText(point.x, decimalSeparator) + "; Y=0; Положение ось X";
    case PointPosition::QuadrantI:
    case PointPosition::QuadrantII:
    case PointPosition::QuadrantIII:
    case PointPosition::QuadrantIV:
      break;
  }
  std::string line = "X = " + NumberText(point.x, decimalSeparator) +
                     "; Y = " + NumberText(point.y, decimalSeparator) + "; Пложение: ";
  line += QuadrantName(position);
  line += " четверть";
  return line;
}

}  // namespace point
