// Invariant checks of an engine instance and direct evaluation of a handle.
#include "bdd/bdd_debug.h"

#include <cstdarg>
#include <cstdio>

#include "bdd/bdd_int.h"

namespace {

struct Checker {
  bdd_manager m;
  int faults = 0;

  void fault(const char* format, ...) __attribute__((format(printf, 2, 3))) {
    if (++faults > 20) return;
    std::va_list ap;
    va_start(ap, format);
    std::fputs("bdd_debug_check: ", stderr);
    std::vfprintf(stderr, format, ap);
    std::fputc('\n', stderr);
    va_end(ap);
  }

  // Whether h names a node present in the unique table of its id.
  bool present(bdd h) const {
    if (h == 0) return false;
    const bdd_* n = bdd_node(h);
    if (n->id > m->var_count) return false;
    const var_table* vt = m->unique_tables[n->id];
    std::uint32_t target = h & ~7u;
    const std::uint32_t* heads = bdd_table_heads(vt);
    for (std::uint32_t off = heads[bdd_table_bucket(vt, n->then_, n->else_)]; off != 0;
         off = bdd_node_at(off)->next) {
      if (off == target) return true;
    }
    return false;
  }

  void check_table(int id, long* total) {
    const var_table* vt = m->unique_tables[id];
    if (vt->size_index < 0 || vt->size_index >= kPrimeCount ||
        vt->bucket_count != bdd_primes[vt->size_index]) {
      fault("table %d: bucket count %d does not match size index %d", id, vt->bucket_count,
            vt->size_index);
      return;
    }
    const std::uint32_t* heads = bdd_table_heads(vt);
    long count = 0;
    for (std::int32_t b = 0; b < vt->bucket_count; ++b) {
      for (std::uint32_t off = heads[b]; off != 0;) {
        const bdd_* n = bdd_node_at(off);
        ++count;
        check_node(id, vt, static_cast<std::uint32_t>(b), n);
        for (std::uint32_t o = n->next; o != 0; o = bdd_node_at(o)->next) {
          const bdd_* d = bdd_node_at(o);
          if (d->then_ == n->then_ && d->else_ == n->else_) fault("table %d: duplicate node", id);
        }
        off = n->next;
      }
    }
    if (count != vt->node_count) {
      fault("table %d: %ld nodes in chains, count says %d", id, count, vt->node_count);
    }
    *total += count;
  }

  void check_node(int id, const var_table* vt, std::uint32_t bucket, const bdd_* n) {
    if (n->id != id) fault("node of id %d in table %d", n->id, id);
    if (bdd_table_bucket(vt, n->then_, n->else_) != bucket)
      fault("table %d: node in wrong chain", id);
    if ((bdd_table_filters(vt)[bucket] & bdd_filter_bit(n->then_, n->else_)) == 0)
      fault("table %d: node missing from its chain's filter", id);
    if (n->temps != 0) fault("table %d: temps byte 0x%x between operations", id, n->temps);
    if (id == 0) return;
    if (bdd_is_complemented(n->then_)) fault("table %d: complemented then-edge", id);
    if (n->then_ == n->else_) fault("table %d: node with equal children", id);
    if (!present(n->then_) || !present(n->else_)) {
      fault("table %d: child not in the unique tables", id);
      return;
    }
    unsigned index = m->index_of_id[id];
    if (bdd_index_of(m, n->then_) <= index || bdd_index_of(m, n->else_) <= index) {
      fault("table %d: child not below its parent in the order", id);
    }
  }

  void check_vars() {
    if (!present(m->one) || m->zero != (m->one ^ 1u) || bdd_node(m->one)->refs != kPermanent) {
      fault("constants broken");
    }
    if (m->index_of_id[0] != kTerminalIndex) fault("terminal index changed");
    for (int id = 1; id <= m->var_count; ++id) {
      int index = m->index_of_id[id];
      if (index >= m->var_count || m->id_of_index[index] != id) {
        fault("variable %d: index maps disagree", id);
      }
      bdd v = m->var_of_id[id];
      const bdd_* n = bdd_node(v);
      if (bdd_is_complemented(v) || n->id != id || n->then_ != m->one || n->else_ != m->zero ||
          n->refs != kPermanent) {
        fault("variable %d: literal node broken", id);
      }
    }
  }

  void check_entry(int tag, const cache_entry* e, std::uint32_t bucket) {
    if (tag >= kCacheTags || !m->cache_tag_used[tag]) {
      fault("cache entry with unclaimed tag %d", tag);
      return;
    }
    std::int32_t h = m->cache_rehash[tag](e);
    if (bdd_mod(h, m->cache_bucket_count, m->cache_magic) != bucket) {
      fault("cache entry in wrong bucket");
    }
    int first = tag == kCacheTagIte ? 0 : 1;
    int last = tag <= kCacheTagTwo ? 3 : tag == kCacheTagOneData ? 1 : 2;
    if (tag >= kCacheFirstUserTag) return;
    for (int i = first; i <= last; ++i) {
      if (e->w[i] != 0 && !present(e->w[i])) fault("cache entry of tag %d names a dead node", tag);
    }
  }

  void check_cache() {
    long entries = 0;
    for (std::uint32_t b = 0; b < m->cache_bucket_count; ++b) {
      const cache_bucket& k = m->cache[b];
      if (k.tag[0] == 0 && k.tag[1] != 0) fault("cache slot 1 used without slot 0");
      for (int i = 0; i < 2; ++i) {
        if (k.tag[i] == 0) continue;
        ++entries;
        check_entry(k.tag[i] - 1, &k.e[i], b);
      }
    }
    if (entries != m->cache_entries) {
      fault("%ld cache entries in slots, count says %ld", entries, m->cache_entries);
    }
  }

  // The last index of an association is the largest index holding an entry.
  void check_assoc(const bdd_assoc_* a) {
    int last = -1;
    for (int id = 1; id <= m->var_count; ++id) {
      if (a->values[id] != 0 && m->index_of_id[id] > last) last = m->index_of_id[id];
    }
    if (a->last_index != last) {
      fault("association %d: last index %d, entries end at %d", a->number, a->last_index, last);
    }
  }

  // Returns the number of leaves under b.
  int check_block(const var_block_* b) {
    if (b->num_children == 0) {
      if (b->first_index != b->last_index) fault("leaf block spans several indexes");
      return 1;
    }
    int leaves = 0;
    int expect = b->children[0]->first_index;
    if (b != m->root_block && expect != b->first_index) fault("block does not start with a child");
    for (int i = 0; i < b->num_children; ++i) {
      const var_block_* c = b->children[i];
      if (c->first_index != expect) fault("child blocks not contiguous");
      expect = c->last_index + 1;
      leaves += check_block(c);
    }
    if (b != m->root_block && expect != b->last_index + 1) fault("block does not end with a child");
    return leaves;
  }
};

}  // namespace

int bdd_debug_check(bdd_manager m) {
  Checker c{m};
  long total = 0;
  for (int id = 0; id <= m->var_count; ++id)
    c.check_table(id, &total);
  if (total != m->node_count) c.fault("%ld nodes in tables, count says %ld", total, m->node_count);
  c.check_vars();
  for (const bdd_assoc_* a = m->assoc_list; a != nullptr; a = a->next)
    c.check_assoc(a);
  c.check_assoc(&m->temp_assoc);
  c.check_cache();
  if (m->var_count > 0) {
    int leaves = c.check_block(m->root_block);
    if (leaves != m->var_count) c.fault("%d leaf blocks for %d variables", leaves, m->var_count);
    if (m->root_block->children[0]->first_index != 0) c.fault("first block does not start at 0");
  }
  if (m->abort_context != nullptr) c.fault("abort context left set");
  if (m->parent_counts != nullptr) c.fault("parent counts left by a reordering");
  if (m->reordering) c.fault("reordering frame left open");
  if (m->protect_depth != 0) c.fault("protect depth %d between operations", m->protect_depth);
  return c.faults;
}

int bdd_debug_eval(bdd_manager m, bdd f, const unsigned char* value_of_id) {
  bdd c = 0;
  for (;;) {
    c ^= f & 1u;
    const bdd_* n = bdd_node(f);
    if (n->id == 0) return (f & ~1u) == (m->one & ~1u) ? static_cast<int>((c ^ 1u) & 1u) : -1;
    f = value_of_id[n->id] ? n->then_ : n->else_;
  }
}

int bdd_debug_refs(bdd f) {
  if (f == 0) return -1;
  return bdd_node(f)->refs;
}
