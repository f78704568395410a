// The periodic check run from node lookups (collection, limits, dynamic
// reordering, cache growth), which abandons or restarts the operation running
// in a protected frame, and the frame's cleanup after an abandoned attempt
// (the frame itself, bdd_run_protected, is inline in bdd/bdd_int.h).
#include <csetjmp>

#include "bdd/bdd_int.h"

namespace {

[[noreturn]] void abandon(bdd_manager m, int code) {
  std::longjmp(*m->abort_context, code);
}

}  // namespace

void bdd_set_gc_limit(bdd_manager m) {
  long limit = 2 * m->node_count;
  if (limit < kGcLimitFloor) limit = kGcLimitFloor;
  // Node records are never given back to the system, so the count has
  // already reached the current limit once: keeping it costs no memory and
  // spares collections that would find little after a drop of the live size.
  if (limit < m->gc_limit) limit = m->gc_limit;
  if (m->node_limit > 0 && m->node_limit < limit) limit = m->node_limit;
  m->gc_limit = limit;
}

void bdd_check(bdd_manager m) {
  m->check_countdown = kCheckInterval;
  const bool in_frame = m->abort_context != nullptr;
  if (m->abort_fn != nullptr && in_frame) abandon(m, kAbandonAbort);
  if (m->node_count > m->gc_limit) {
    const long limit_before = m->gc_limit;
    bdd_gc(m);
    const long n = m->node_count;
    bool reordered = false;
    if (3 * n > 2 * limit_before && m->reordering_allowed && m->reorder_fn != nullptr &&
        !m->reordering) {
      bdd_run_reorder(m);
      reordered = true;
      if (4 * m->node_count > 3 * n && 3 * n > 4 * m->start_node_count) {
        m->reordering_allowed = 0;
      }
    }
    bdd_set_gc_limit(m);
    if (m->node_limit > 0 && m->node_count >= m->node_limit - 1000) {
      m->overflow = 1;
      if (in_frame) abandon(m, kAbandonOverflow);
    }
    if (reordered && in_frame) abandon(m, kAbandonReordered);
  }
  bdd_grow_cache_if_needed(m);
}

void bdd_cleanup(bdd_manager m, int code) {
  bdd_clear_temps(m);
  bdd_gc(m);
  bdd_set_gc_limit(m);
  if (code == kAbandonAbort) {
    if (m->abort_fn != nullptr) m->abort_fn(m, m->abort_arg);
  } else if (code == kAbandonOverflow) {
    if (m->overflow_fn != nullptr) m->overflow_fn(m, m->overflow_arg);
  }
}

bool bdd_frame_abandoned(bdd_manager m, const bdd_frame& outer, int code) {
  m->protect_depth = outer.protect_depth;
  m->shadow = outer.shadow;
  bdd_cleanup(m, code);
  return code == kAbandonReordered;
}
