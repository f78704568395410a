// Reference counts and garbage collection: external references of callers,
// argument checks, and the mark / purge / sweep collection documented in
// bdd/bdd_int.h.
#include <cstdarg>
#include <initializer_list>

#include "bdd/bdd_int.h"

namespace {

// Calls fn(node) for every node of a table, chain by chain from the head.
template <typename Fn>
void for_each_node(var_table* vt, Fn fn) {
  std::uint32_t* heads = bdd_table_heads(vt);
  for (std::int32_t b = 0; b < vt->bucket_count; ++b) {
    bdd_prefetch_head(heads, b, vt->bucket_count);
    for (std::uint32_t off = heads[b]; off != 0;) {
      bdd_* n = bdd_node_at(off);
      off = n->next;
      fn(n);
    }
  }
}

template <typename Fn>
void for_each_table_node(bdd_manager m, Fn fn) {
  for (int id = 0; id <= m->var_count; ++id)
    for_each_node(m->unique_tables[id], fn);
}

// Nodes marked but not yet visited by the mark, each pushed once.
struct MarkStack {
  std::uint32_t* items = nullptr;
  std::size_t size = 0;
  std::size_t capacity = 0;
};

// Calls fn(n) for every inner node of the node pools, in address order. A
// node that fn frees is not visited again.
template <typename Fn>
void for_each_pool_node(bdd_manager m, Fn fn) {
  const int per_pool = mem_rec_per_pool(m->nodes);
  const int size = mem_rec_size(m->nodes);
  for (std::uint32_t pool = mem_rec_first_pool(m->nodes); pool != 0;
       pool = mem_rec_next_pool(pool)) {
    char* rec = mem_rec_pool_records(pool);
    for (int i = 0; i < per_pool; ++i, rec += size) {
      if (mem_rec_marked_free(rec)) continue;  // a free record or a terminal
      bdd_* n = reinterpret_cast<bdd_*>(rec);
      if (n->id != 0) fn(n);
    }
  }
}

void push(MarkStack* s, const bdd_* n) {
  if (s->size == s->capacity) {
    s->capacity = s->capacity == 0 ? 1024 : 2 * s->capacity;
    s->items = static_cast<std::uint32_t*>(
        mem_resize_block(s->items, s->capacity * sizeof(std::uint32_t)));
  }
  s->items[s->size++] = mem_offset(n);
}

// Marks an inner node and every node reachable from it that has no mark yet.
void mark_from(MarkStack* s, bdd_* root) {
  root->temps |= kMark;
  push(s, root);
  while (s->size != 0) {
    const bdd_* n = bdd_node_at(s->items[--s->size]);
    for (bdd child : {n->then_, n->else_}) {
      bdd_* c = bdd_node(child);
      if (c->temps & kMark) continue;
      c->temps |= kMark;
      if (c->id != 0) push(s, c);
    }
  }
}

// The terminal table, chain by chain (the terminal free function is called
// for each terminal freed).
void sweep_terminals(bdd_manager m) {
  var_table* vt = m->unique_tables[0];
  std::uint32_t* heads = bdd_table_heads(vt);
  long freed = 0;
  for (std::int32_t b = 0; b < vt->bucket_count; ++b) {
    std::uint32_t* link = &heads[b];
    while (*link != 0) {
      bdd_* n = bdd_node_at(*link);
      if (n->temps & kMark) {
        n->temps &= static_cast<std::uint8_t>(~kMark);
        link = &n->next;
        continue;
      }
      *link = n->next;
      if (m->terminal_free != nullptr) {
        m->terminal_free(m, static_cast<std::int32_t>(n->then_),
                         static_cast<std::int32_t>(n->else_), m->terminal_free_arg);
      }
      mem_free_rec(m->nodes, n);
      ++freed;
    }
  }
  vt->node_count -= static_cast<std::int32_t>(freed);
  m->node_count -= freed;
  m->collected_count += freed;
  if (bdd_table_too_empty(vt)) bdd_rehash_table(vt, -1);
}

// The variable tables, in one walk over the node pools: marked inner nodes
// go back into emptied chains, the others are freed.
void sweep_inner_nodes(bdd_manager m) {
  for (int id = 1; id <= m->var_count; ++id) {
    var_table* vt = m->unique_tables[id];
    mem_zero(bdd_table_heads(vt), bdd_table_block_bytes(vt->bucket_count));
    vt->node_count = 0;
  }
  long freed = 0;
  for_each_pool_node(m, [m, &freed](bdd_* n) {
    if ((n->temps & kMark) == 0) {
      mem_free_rec(m->nodes, n);
      ++freed;
      return;
    }
    n->temps &= static_cast<std::uint8_t>(~kMark);
    var_table* vt = m->unique_tables[n->id];
    bdd_table_link(vt, bdd_table_bucket(vt, n->then_, n->else_), n);
    ++vt->node_count;
  });
  m->node_count -= freed;
  m->collected_count += freed;
  for (int id = 1; id <= m->var_count; ++id) {
    var_table* vt = m->unique_tables[id];
    if (bdd_table_too_empty(vt)) bdd_rehash_table(vt, -1);
  }
}

}  // namespace

void bdd_mark(bdd_manager m) {
  MarkStack stack;
  for_each_pool_node(m, [&stack](bdd_* n) {
    if ((n->refs == 0 && n->temps == 0) || (n->temps & kMark) != 0) return;
    mark_from(&stack, n);
  });
  for (const bdd_shadow* s = m->shadow; s != nullptr; s = s->up) {
    bdd_* n = bdd_node(s->value);
    if ((n->temps & kMark) != 0) continue;
    if (n->id == 0) {
      n->temps |= kMark;
    } else {
      mark_from(&stack, n);
    }
  }
  for_each_node(m->unique_tables[0], [](bdd_* n) {
    if (n->refs != 0 || n->temps != 0) n->temps |= kMark;
  });
  mem_free_block(stack.items);
}

void bdd_sweep(bdd_manager m) {
  sweep_terminals(m);
  sweep_inner_nodes(m);
}

void bdd_gc(bdd_manager m) {
  bdd_mark(m);
  bdd_purge_cache(m);
  bdd_sweep(m);
  ++m->gc_count;
}

void bdd_clear_temps(bdd_manager m) {
  for_each_table_node(m, [](bdd_* n) { n->temps = 0; });
}

void bdd_clear_refs(bdd_manager m) {
  for_each_table_node(m, [](bdd_* n) { n->refs = 0; });
  for (int id = 1; id <= m->var_count; ++id)
    bdd_node(m->var_of_id[id])->refs = kPermanent;
  bdd_node(m->one)->refs = kPermanent;
  for (bdd_assoc_* a = m->assoc_list; a != nullptr; a = a->next) {
    for (int id = 1; id <= m->var_count; ++id) {
      if (a->values[id] != 0) bdd_ext_inc_node(bdd_node(a->values[id]));
    }
  }
}

int bdd_free(bdd_manager, bdd f) {
  if (f == 0) return 0;
  bdd_* n = bdd_node(f);
  if (n->refs == kPermanent) return kPermanent;
  if (n->refs == 0) bdd_fatal("bdd_free: attempt to free node with zero references");
  return --n->refs;
}

int bdd_unfree(bdd_manager, bdd f) {
  if (f == 0) return 0;
  bdd_* n = bdd_node(f);
  bdd_ext_inc_node(n);
  return n->refs;
}

int bdd_check_arguments(int n, ...) {
  std::va_list ap;
  va_start(ap, n);
  int ok = 1;
  for (int i = 0; i < n; ++i) {
    if (!bdd_check_arg(va_arg(ap, bdd))) ok = 0;
  }
  va_end(ap);
  return ok;
}

int bdd_check_array(const bdd* fs) {
  int ok = 1;
  for (; *fs != 0; ++fs) {
    if (!bdd_check_arg(*fs)) ok = 0;
  }
  return ok;
}

long bdd_node_limit(bdd_manager m, long limit) {
  long old = m->node_limit;
  if (limit < 0) limit = 0;
  m->node_limit = limit;
  if (limit > 0 && limit < m->gc_limit) m->gc_limit = limit;
  return old;
}

int bdd_overflow(bdd_manager m) {
  int flag = m->overflow;
  m->overflow = 0;
  return flag;
}

void bdd_overflow_closure(bdd_manager m, bdd_closure_fn fn, void* arg) {
  m->overflow_fn = fn;
  m->overflow_arg = arg;
}

void bdd_abort_closure(bdd_manager m, bdd_closure_fn fn, void* arg) {
  m->abort_fn = fn;
  m->abort_arg = arg;
}
