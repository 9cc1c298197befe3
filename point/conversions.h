#pragma once

// Conversions between the texts a user types or reads and the coordinates of a point.
// Both are independent of the process's C locale and safe for any input bytes.
//
// CoordinateFromText reads a number from the start of a UTF-8 text:
//   - Every space, tab and line feed is removed first, wherever it stands ("- 1 2" reads -12).
//     Other blanks (carriage return, no-break space, ...) are ordinary characters.
//   - Decimal form: an optional "+" or "-", digits with an optional period among or after them
//     (at least one digit), then optionally "E" or "e", an optional sign and digits. The period
//     is the only decimal separator. An exponent letter without digits is not part of the number.
//   - "&H" (hexadecimal) or "&O" (octal), either letter in either case, then digits. Leading zeros
//     do not count; a value up to FFFF is a signed 16-bit integer (&HFFFF reads -1), one up to
//     FFFFFFFF a signed 32-bit integer (&HFFFFFFFF reads -1, &H10000 reads 65536). A sign before
//     "&" is not part of a number.
//   - Reading stops at the first character that cannot continue the number; what follows is
//     ignored ("12abc" reads 12, "1,5" reads 1). A text without a number reads 0.
//   - The result is the correctly rounded double (round to nearest, ties to even), for any number
//     of digits, in time linear in the length of the text. A value too small for a double reads as
//     the nearest double, a zero of its sign ("1e-400" reads 0).
//   - Throws RuntimeError 6 ("Переполнение") when the rounded value lies beyond the largest double,
//     or a hexadecimal or octal value exceeds FFFFFFFF.
//
// NumberText writes a double as C's "%.15G" would, in the given decimal separator:
//   - Rounded to nearest on the exact binary value to at most 15 significant digits; trailing
//     zeros and a bare separator dropped ("5", "0.1", "0.333333333333333").
//   - Exponent form when the rounded decimal exponent is 15 or more, or below -4: the letter E, a
//     sign and at least two digits ("1E+15", "1E-05", "4.94065645841247E-324").
//   - A negative value starts with "-"; a zero of either sign is "0". Infinities and NaN, which
//     CoordinateFromText never returns, are "Infinity", "-Infinity" and "NaN".
//   - decimalSeparator is UTF-8 and may be more than one byte ("٫").

#include <string>
#include <string_view>

#include "point/runtime_error.h"

namespace point {

double CoordinateFromText(std::string_view text);

std::string NumberText(double value, std::string_view decimalSeparator);

}  // namespace point
