#pragma once

#include <stdexcept>
#include <string>

namespace point {

// A failure of a conversion, carrying the number and the description that the user is shown.
// The only one raised here is the overflow (number 6) of CoordinateFromText.
class RuntimeError : public std::runtime_error {
 public:
  // description is UTF-8 and becomes what().
  RuntimeError(int number, const std::string& description);

  int number() const noexcept { return number_; }

 private:
  int number_;
};

// Error 6: a number beyond the range of a double.
RuntimeError OverflowError();

}  // namespace point
