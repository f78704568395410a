// Adapter of our engine for the side-by-side workloads.
#include "bdd/bdd.h"
#include "bench/vs/workload_templates.h"

namespace benchvs {

namespace {

class OurEngine {
 public:
  using H = bdd;

  void start(int vars) {
    m_ = bdd_init();
    for (int i = 0; i < vars; ++i)
      bdd_new_var_last(m_);
  }
  void stop() { bdd_quit(m_); }

  H one() { return bdd_one(m_); }
  H zero() { return bdd_zero(m_); }
  H var(int index) { return bdd_var_with_index(m_, index); }
  H copy(H f) { return bdd_identity(m_, f); }
  void free(H f) { bdd_free(m_, f); }
  H and_(H f, H g) { return bdd_and(m_, f, g); }
  H or_(H f, H g) { return bdd_or(m_, f, g); }
  H xor_(H f, H g) { return bdd_xor(m_, f, g); }
  // The complement of a handle is its other polarity: no new node.
  H diff(H f, H g) { return bdd_and(m_, f, g ^ 1u); }
  H not_(H f) { return bdd_not(m_, f); }
  int index(H f) { return bdd_if_index(m_, f); }
  bool is_one(H f) { return f == bdd_one(m_); }
  H high(H f) { return bdd_then(m_, f); }
  H low(H f) { return bdd_else(m_, f); }
  double fraction(H f) { return bdd_satisfying_fraction(m_, f); }

 private:
  bdd_manager m_ = nullptr;
};

}  // namespace

const EngineApi& our_engine() {
  static const EngineApi api = make_engine_api<OurEngine>("ours");
  return api;
}

}  // namespace benchvs
