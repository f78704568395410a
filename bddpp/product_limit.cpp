// The last line of a product-limit stop, and the stop itself.
#include "bddpp/product_limit.h"

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

#include "support/activity.h"

void bddpp_stop_at_limit(const char* what, long limit) {
  const tessaro::activity& now = tessaro::current_activity();
  if (now.kind != nullptr && now.name != nullptr && std::strcmp(now.kind, "signal") == 0) {
    std::cerr << "cover of signal " << *now.name << ": more than " << limit << ' ' << what
              << std::endl;
  }
  std::exit(1);
}
