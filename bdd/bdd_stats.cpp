// The statistics report of an engine instance.
#include <cstdio>

#include "bdd/bdd_int.h"

long bdd_work_count(bdd_manager m) {
  return m->find_count + m->cache_lookups;
}

void bdd_stats(bdd_manager m, std::FILE* out) {
  const long assocs = bdd_assoc_count(m);
  const long buckets = static_cast<long>(m->cache_bucket_count);
  const long capacity = m->var_capacity;
  const long cache_bytes = buckets * static_cast<long>(sizeof(cache_bucket));
  const long used = cache_bytes + m->node_count * 20 + capacity * 12 + capacity * (1 + assocs) * 4;
  const long allocated = mem_allocation();
  if (allocated > 0) std::fprintf(out, "Memory manager bytes allocated: %ld\n", allocated);
  std::fprintf(out, "Approximate bytes used: %ld\n", used);
  std::fprintf(out, "Number of nodes: %ld\n", m->node_count);
  if (m->node_limit > 0) {
    std::fprintf(out, "Node limit: %ld\n", m->node_limit);
  } else {
    std::fprintf(out, "Node limit: ---\n");
  }
  std::fprintf(out, "Overflow: %s\n", m->overflow ? "yes" : "no");
  std::fprintf(out, "Approximate bytes per node: %-.2f\n",
               static_cast<double>(used) / static_cast<double>(m->node_count));
  std::fprintf(out, "Cache entries: %ld\n", m->cache_entries);
  std::fprintf(out, "Cache size: %ld\n", 2 * buckets);
  std::fprintf(out, "Cache load factor: %-.2f\n",
               static_cast<double>(m->cache_entries) / static_cast<double>(2 * buckets));
  std::fprintf(out, "Cache look ups: %ld\n", m->cache_lookups);
  std::fprintf(out, "Cache hits: %ld\n", m->cache_hits);
  if (m->cache_lookups > 0) {
    std::fprintf(out, "Cache hit rate: %-.2f\n",
                 static_cast<double>(m->cache_hits) / static_cast<double>(m->cache_lookups));
  } else {
    std::fprintf(out, "Cache hit rate: ---\n");
  }
  std::fprintf(out, "Cache insertions: %ld\n", m->cache_insertions);
  std::fprintf(out, "Cache collisions: %ld\n", m->cache_collisions);
  std::fprintf(out, "Number of variables: %ld\n", static_cast<long>(m->var_count));
  std::fprintf(out, "Number of variable associations: %d\n", static_cast<int>(1 + assocs));
  std::fprintf(out, "Number of garbage collections: %ld\n", m->gc_count);
  std::fprintf(out, "Number of nodes garbage collected: %ld\n", m->collected_count);
  std::fprintf(out, "Number of find operations: %ld\n", m->find_count);
}
