// Reordering demonstration: builds x1 y1 + x2 y2 + ... + xn yn with every x
// above every y, an order under which the function needs about 2^(n+1)
// nodes, reorders once with each method and prints the node counts before
// and after; then builds it again with dynamic sifting on.
#include <cstdio>
#include <unordered_set>
#include <vector>

#include "bdd/bdd.h"

namespace {

// Nodes reachable from f, terminal included.
long size_of(bdd_manager m, bdd f) {
  std::unordered_set<bdd> seen;
  std::vector<bdd> stack{bdd_identity(m, f)};
  while (!stack.empty()) {
    bdd g = stack.back();
    stack.pop_back();
    if (seen.insert(g & ~1u).second && bdd_if_index(m, g) >= 0) {
      stack.push_back(bdd_then(m, g));
      stack.push_back(bdd_else(m, g));
    }
    bdd_free(m, g);
  }
  return static_cast<long>(seen.size());
}

// The sum of pairs over 2n new variables, all x first.
bdd pairs_function(bdd_manager m, int n) {
  std::vector<bdd> v;
  for (int i = 0; i < 2 * n; ++i)
    v.push_back(bdd_new_var_last(m));
  bdd f = bdd_identity(m, bdd_zero(m));
  for (int i = 0; i < n; ++i) {
    bdd p = bdd_and(m, v[i], v[n + i]);
    bdd next = bdd_or(m, f, p);
    bdd_free(m, f);
    bdd_free(m, p);
    f = next;
  }
  return f;
}

int dynamic_runs = 0;
void counting_sift(bdd_manager m) {
  ++dynamic_runs;
  bdd_reorder_sift(m);
}

}  // namespace

int main() {
  struct Method {
    const char* name;
    bdd_reorder_fn fn;
  };
  const Method methods[] = {{"sift", bdd_reorder_sift},
                            {"window3", bdd_reorder_stable_window3},
                            {"hybrid", bdd_reorder_hybrid}};
  std::printf("%4s  %-8s %12s %12s %12s %12s\n", "n", "method", "f before", "f after", "all before",
              "all after");
  for (int n : {8, 10, 12, 14}) {
    for (const Method& method : methods) {
      bdd_manager m = bdd_init();
      bdd f = pairs_function(m, n);
      bdd_gc(m);
      const long f_before = size_of(m, f);
      const long all_before = bdd_total_size(m);
      bdd_dynamic_reordering(m, method.fn);
      bdd_reorder(m);
      std::printf("%4d  %-8s %12ld %12ld %12ld %12ld\n", n, method.name, f_before, size_of(m, f),
                  all_before, bdd_total_size(m));
      bdd_free(m, f);
      bdd_quit(m);
    }
  }
  std::printf("\nbuilt with dynamic sifting on:\n");
  for (int n : {14, 16, 18}) {
    bdd_manager m = bdd_init();
    dynamic_runs = 0;
    bdd_dynamic_reordering(m, counting_sift);
    bdd f = pairs_function(m, n);
    std::printf("%4d  nodes of f %ld after %d reorderings\n", n, size_of(m, f), dynamic_runs);
    bdd_free(m, f);
    bdd_quit(m);
  }
  return 0;
}
