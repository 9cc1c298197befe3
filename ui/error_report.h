#pragma once

#include <exception>
#include <string>

#include "point/runtime_error.h"
#include "ui/form1_design.h"

namespace ui {

// What the user is told of a check that failed with `failure`: "Ошибка выполнения 6:
// Переполнение" for a run-time error, the description alone for another failure such as running
// out of memory. UTF-8.
inline std::string ErrorReport(const std::exception_ptr& failure) {
  std::string report(kErrorReport);
  try {
    std::rethrow_exception(failure);
  } catch (const point::RuntimeError& error) {
    report.append(" ").append(std::to_string(error.number())).append(": ").append(error.what());
  } catch (const std::exception& error) {
    report.append(": ").append(error.what());
  } catch (...) {
  }
  return report;
}

}  // namespace ui
