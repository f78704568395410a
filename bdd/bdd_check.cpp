// The periodic check run from node lookups (collection, limits, dynamic
// reordering, cache growth) and the protected frame that lets it abandon or
// restart the running operation.
#include <csetjmp>

#include "bdd/bdd_int.h"

namespace {

[[noreturn]] void abandon(bdd_manager m, int code) {
  std::longjmp(*m->abort_context, code);
}

// One attempt of the step under a fresh context; 0 when it returned normally.
// Kept apart so that nothing the caller reads after a longjmp lives here.
int attempt(bdd_manager m, bdd_step_fn step, void* args, bdd* result) {
  std::jmp_buf env;
  m->abort_context = &env;
  int code = setjmp(env);
  if (code == 0) *result = step(m, args);
  return code;
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

int bdd_run_protected(bdd_manager m, bdd_step_fn step, void* args, bdd* result) {
  std::jmp_buf* outer_context = m->abort_context;
  const int outer_allowed = m->reordering_allowed;
  const long outer_start = m->start_node_count;
  const int depth = m->protect_depth;
  bdd_shadow* const outer_shadow = m->shadow;
  m->reordering_allowed = 1;
  int code;
  for (;;) {
    m->start_node_count = m->node_count;
    *result = 0;
    code = attempt(m, step, args, result);
    m->abort_context = nullptr;
    if (code == 0) break;
    m->protect_depth = depth;
    m->shadow = outer_shadow;
    bdd_cleanup(m, code);
    if (code != kAbandonReordered) break;
  }
  m->abort_context = outer_context;
  m->reordering_allowed = outer_allowed;
  m->start_node_count = outer_start;
  if (code != 0) {
    *result = 0;
    return code;
  }
  if (*result != 0) bdd_make_external(m, *result);
  return 0;
}
