// Reporting a refusal.
#include "driver/refusal.h"

#include <iostream>

int report_refusal(const tessaro::diagnostic& d) {
  std::cerr << tessaro::diagnostic_line(d) << std::endl;
  return d.status;
}
