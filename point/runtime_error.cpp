#include "point/runtime_error.h"

namespace point {

RuntimeError::RuntimeError(int number, const std::string& description)
    : std::runtime_error(description), number_(number) {}

RuntimeError OverflowError() { return RuntimeError(6, "Переполнение"); }

}  // namespace point
