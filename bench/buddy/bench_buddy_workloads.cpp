// Adapter of BuDDy for the side-by-side workloads. BuDDy's header is also
// named bdd.h, so this file is compiled without the project's include path
// and sees only engine-neutral headers of bench/vs besides BuDDy's own.
#include <bdd.h>

#include <cmath>

#include "vs/workload_templates.h"

namespace benchvs {

namespace {

// Initial node table and cache of the sizes the BuDDy manual calls typical
// (of its choices, the best overall on these workloads: a million nodes makes
// every small build pay for the table, ten thousand slows the large ones);
// the cache then follows the table (one entry per 4 nodes, about what our
// engine's cache holds) and the table grows without a per-step cap.
constexpr int kInitialNodes = 100000;
constexpr int kInitialCache = 10000;
constexpr int kCacheRatio = 4;
constexpr int kMaxIncrease = 1 << 30;

void quiet_gc(int, bddGbcStat*) {}

class BuddyEngine {
 public:
  using H = BDD;

  void start(int vars) {
    bdd_init(kInitialNodes, kInitialCache);
    bdd_gbc_hook(quiet_gc);
    bdd_setcacheratio(kCacheRatio);
    bdd_setmaxincrease(kMaxIncrease);
    bdd_setvarnum(vars);
    one_ = bddtruepp.id();
    zero_ = bddfalsepp.id();
  }
  void stop() { bdd_done(); }

  H one() { return one_; }
  H zero() { return zero_; }
  H var(int index) { return bdd_ithvar(index).id(); }  // variables are never collected
  H copy(H f) { return bdd_addref(f); }
  void free(H f) { bdd_delref(f); }
  H and_(H f, H g) { return bdd_addref(bdd_and(f, g)); }
  H or_(H f, H g) { return bdd_addref(bdd_or(f, g)); }
  H xor_(H f, H g) { return bdd_addref(bdd_xor(f, g)); }
  H diff(H f, H g) { return bdd_addref(bdd_apply(f, g, bddop_diff)); }
  H not_(H f) { return bdd_addref(bdd_not(f)); }
  int index(H f) { return f == one_ || f == zero_ ? -1 : bdd_var2level(bdd_var(f)); }
  bool is_one(H f) { return f == one_; }
  H high(H f) { return bdd_addref(bdd_high(f)); }
  H low(H f) { return bdd_addref(bdd_low(f)); }
  double fraction(H f) { return bdd_satcount(f) / std::ldexp(1.0, bdd_varnum()); }

 private:
  H one_ = 0;
  H zero_ = 0;
};

}  // namespace

const EngineApi& buddy_engine() {
  static const EngineApi api = make_engine_api<BuddyEngine>("buddy");
  return api;
}

}  // namespace benchvs
