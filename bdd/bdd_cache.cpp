// Operation cache: one flat array of direct-mapped buckets, each holding two
// entries in place with move-to-front on hits, per-tag hash/gc/purge/return/
// flush functions, growth by the prime table, and purging at collections.
#include <cstdint>

#include "bdd/bdd_int.h"

namespace {

std::int32_t hash1(const cache_entry* e) {
  return static_cast<std::int32_t>(e->w[0]);
}
std::int32_t hash2(const cache_entry* e) {
  return bdd_hash2(e->w[0], e->w[1]);
}
std::int32_t hash3(const cache_entry* e) {
  return bdd_hash3(e->w[0], e->w[1], e->w[2]);
}

bool unmarked(std::uint32_t h) {
  return h != 0 && (bdd_node(h)->temps & kMark) == 0;
}

int gc_ite(bdd_manager, void* entry) {
  const std::uint32_t* w = static_cast<cache_entry*>(entry)->w;
  return unmarked(w[0]) || unmarked(w[1]) || unmarked(w[2]) || unmarked(w[3]);
}
int gc_two(bdd_manager, void* entry) {
  const std::uint32_t* w = static_cast<cache_entry*>(entry)->w;
  return unmarked(w[1]) || unmarked(w[2]) || unmarked(w[3]);
}
int gc_one_data(bdd_manager, void* entry) {
  return unmarked(static_cast<cache_entry*>(entry)->w[1]);
}
int gc_two_data(bdd_manager, void* entry) {
  const std::uint32_t* w = static_cast<cache_entry*>(entry)->w;
  return unmarked(w[1]) || unmarked(w[2]);
}

// Selects tag-1 entries of association n: operation codes n + 10000, + 20000, + 30000.
int flush_assoc(bdd_manager, void* entry, void* arg) {
  std::int32_t n = static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(arg));
  std::int32_t code = static_cast<std::int32_t>(static_cast<cache_entry*>(entry)->w[0]);
  return code == n + 10000 || code == n + 20000 || code == n + 30000;
}

cache_bucket* new_buckets(std::uint32_t count) {
  std::size_t bytes = static_cast<std::size_t>(count) * sizeof(cache_bucket);
  void* a = mem_get_block(bytes);
  mem_zero(a, bytes);
  return static_cast<cache_bucket*>(a);
}

void set_size(bdd_manager m, int index) {
  m->cache_size_index = index;
  m->cache_bucket_count = static_cast<std::uint32_t>(bdd_primes[index]);
  m->cache_magic = bdd_prime_magic.v[index];
}

int tag_of(const cache_bucket* b, int i) {
  return b->tag[i] - 1;
}

// The tag's purge function on an entry leaving the cache.
void purge_entry(bdd_manager m, int tag, cache_entry* e) {
  bdd_cache_purge_fn purge = m->cache_purge[tag];
  if (purge != nullptr) purge(m, e);
}

// Re-places one entry at slot 0 of its new bucket during a resize; the
// entry of slot 1 there is dropped.
void replace(bdd_manager m, int tag, const cache_entry& e) {
  cache_bucket* b = bdd_cache_bucket_of(m, m->cache_rehash[tag](&e));
  if (b->tag[1] != 0) {
    purge_entry(m, tag_of(b, 1), &b->e[1]);
    --m->cache_entries;
  }
  b->e[1] = b->e[0];
  b->tag[1] = b->tag[0];
  b->e[0] = e;
  b->tag[0] = bdd_cache_tag_byte(tag);
}

// Removes the entries selected by pred(tag, entry); a survivor of slot 1
// moves up.
template <typename Pred>
void remove_if(bdd_manager m, Pred pred) {
  for (std::uint32_t i = 0; i < m->cache_bucket_count; ++i) {
    cache_bucket* b = &m->cache[i];
    if (b->tag[0] == 0) continue;
    for (int s = 0; s < 2; ++s) {
      if (b->tag[s] != 0 && pred(tag_of(b, s), &b->e[s])) {
        purge_entry(m, tag_of(b, s), &b->e[s]);
        --m->cache_entries;
        b->tag[s] = 0;
      }
    }
    if (b->tag[0] == 0 && b->tag[1] != 0) {
      b->e[0] = b->e[1];
      b->tag[0] = b->tag[1];
      b->tag[1] = 0;
    }
  }
}

}  // namespace

void bdd_init_cache(bdd_manager m) {
  set_size(m, kCacheStartIndex);
  m->cache = new_buckets(m->cache_bucket_count);
  m->protect_depth = 0;
  m->cache_ratio = 4;
  m->cache_rehash[kCacheTagIte] = hash3;
  m->cache_gc[kCacheTagIte] = gc_ite;
  m->cache_rehash[kCacheTagTwo] = hash3;
  m->cache_gc[kCacheTagTwo] = gc_two;
  m->cache_flush[kCacheTagTwo] = flush_assoc;
  m->cache_rehash[kCacheTagOneData] = hash2;
  m->cache_gc[kCacheTagOneData] = gc_one_data;
  m->cache_rehash[kCacheTagTwoData] = hash3;
  m->cache_gc[kCacheTagTwoData] = gc_two_data;
  for (int tag = 0; tag < kCacheFirstUserTag; ++tag)
    m->cache_tag_used[tag] = true;
}

void bdd_free_cache(bdd_manager m) {
  bdd_flush_all(m);
  mem_free_block(m->cache);
  m->cache = nullptr;
}

void bdd_rehash_cache(bdd_manager m) {
  if (m->cache_size_index >= kCacheMaxIndex) return;
  cache_bucket* old = m->cache;
  std::uint32_t old_count = m->cache_bucket_count;
  set_size(m, m->cache_size_index + 1);
  m->cache = new_buckets(m->cache_bucket_count);
  ++m->cache_epoch;
  for (int s = 1; s >= 0; --s) {
    for (std::uint32_t i = 0; i < old_count; ++i) {
      if (old[i].tag[s] != 0) replace(m, tag_of(&old[i], s), old[i].e[s]);
    }
  }
  mem_free_block(old);
}

void bdd_grow_cache_if_needed(bdd_manager m) {
  std::int64_t buckets = m->cache_bucket_count;
  if (3 * buckets < 2 * static_cast<std::int64_t>(m->cache_entries) &&
      32 * buckets < static_cast<std::int64_t>(m->node_count) * m->cache_ratio) {
    bdd_rehash_cache(m);
  }
}

void bdd_purge_cache(bdd_manager m) {
  remove_if(m, [m](int tag, cache_entry* e) {
    bdd_cache_gc_fn gc = m->cache_gc[tag];
    return gc != nullptr && gc(m, e) != 0;
  });
}

void bdd_flush_cache(bdd_manager m, bdd_flush_pred pred, void* arg) {
  remove_if(m, [m, pred, arg](int tag, cache_entry* e) { return pred(m, tag, e, arg) != 0; });
}

void bdd_flush_all(bdd_manager m) {
  remove_if(m, [](int, cache_entry*) { return true; });
}

int bdd_cache_ratio(bdd_manager m, int ratio) {
  int old = m->cache_ratio;
  if (ratio < 1) ratio = 1;
  if (ratio > 32) ratio = 32;
  m->cache_ratio = ratio;
  return old;
}

int bdd_cache_functions(bdd_manager m, int n, bdd_cache_gc_fn gc, bdd_cache_purge_fn purge,
                        bdd_cache_return_fn ret, bdd_cache_flush_fn flush) {
  if (n < 1 || n > 3) bdd_fatal("bdd_cache_functions: illegal number of cache arguments");
  for (int tag = kCacheFirstUserTag; tag < kCacheTags; ++tag) {
    if (m->cache_tag_used[tag]) continue;
    m->cache_tag_used[tag] = true;
    m->cache_rehash[tag] = n == 1 ? hash1 : n == 2 ? hash2 : hash3;
    m->cache_gc[tag] = gc;
    m->cache_purge[tag] = purge;
    m->cache_return[tag] = ret;
    m->cache_flush[tag] = flush;
    return tag;
  }
  return -1;
}

void bdd_free_cache_tag(bdd_manager m, int tag) {
  if (tag < kCacheFirstUserTag || tag >= kCacheTags || !m->cache_tag_used[tag]) {
    bdd_fatal("bdd_free_cache_tag: attempt to free unallocated tag");
  }
  remove_if(m, [tag](int t, cache_entry*) { return t == tag; });
  m->cache_tag_used[tag] = false;
  m->cache_rehash[tag] = nullptr;
  m->cache_gc[tag] = nullptr;
  m->cache_purge[tag] = nullptr;
  m->cache_return[tag] = nullptr;
  m->cache_flush[tag] = nullptr;
}

// ---- Access for callers of the claimed tags and for the step functions ----

int bdd_lookup_in_cache31(bdd_manager m, int tag, std::uint32_t k1, std::uint32_t k2,
                          std::uint32_t k3, std::uint32_t* r) {
  return bdd_cache_lookup31(m, tag, k1, k2, k3, r);
}

int bdd_lookup_in_cache22(bdd_manager m, int tag, std::uint32_t k1, std::uint32_t k2,
                          std::uint32_t* r1, std::uint32_t* r2) {
  ++m->cache_lookups;
  cache_bucket* b = bdd_cache_bucket_of(m, bdd_hash2(k1, k2));
  for (int i = 0; i < 2; ++i) {
    if (b->tag[i] == 0) return 0;
    if (b->tag[i] != bdd_cache_tag_byte(tag)) continue;
    const cache_entry* e = &b->e[i];
    if (e->w[0] == k1 && e->w[1] == k2) {
      cache_entry* hit = bdd_cache_hit(m, b, i, tag);
      bdd_cache_return(m, tag, hit);
      *r1 = hit->w[2];
      *r2 = hit->w[3];
      return 1;
    }
  }
  return 0;
}

int bdd_lookup_in_cache13(bdd_manager m, int tag, std::uint32_t k1, std::uint32_t* r1,
                          std::uint32_t* r2, std::uint32_t* r3) {
  ++m->cache_lookups;
  cache_bucket* b = bdd_cache_bucket_of(m, static_cast<std::int32_t>(k1));
  for (int i = 0; i < 2; ++i) {
    if (b->tag[i] == 0) return 0;
    if (b->tag[i] != bdd_cache_tag_byte(tag)) continue;
    const cache_entry* e = &b->e[i];
    if (e->w[0] == k1) {
      cache_entry* hit = bdd_cache_hit(m, b, i, tag);
      bdd_cache_return(m, tag, hit);
      *r1 = hit->w[1];
      *r2 = hit->w[2];
      *r3 = hit->w[3];
      return 1;
    }
  }
  return 0;
}

void bdd_insert_in_cache31(bdd_manager m, int tag, std::uint32_t k1, std::uint32_t k2,
                           std::uint32_t k3, std::uint32_t r) {
  bdd_cache_insert31(m, tag, k1, k2, k3, r);
}

void bdd_insert_in_cache22(bdd_manager m, int tag, std::uint32_t k1, std::uint32_t k2,
                           std::uint32_t r1, std::uint32_t r2) {
  cache_entry* e = bdd_cache_take_slot(m, bdd_cache_bucket_of(m, bdd_hash2(k1, k2)), tag);
  e->w[0] = k1;
  e->w[1] = k2;
  e->w[2] = r1;
  e->w[3] = r2;
}

void bdd_insert_in_cache13(bdd_manager m, int tag, std::uint32_t k1, std::uint32_t r1,
                           std::uint32_t r2, std::uint32_t r3) {
  cache_entry* e =
      bdd_cache_take_slot(m, bdd_cache_bucket_of(m, static_cast<std::int32_t>(k1)), tag);
  e->w[0] = k1;
  e->w[1] = r1;
  e->w[2] = r2;
  e->w[3] = r3;
}
