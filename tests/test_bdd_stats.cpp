// Tests of the statistics report of the BDD engine: its lines, their order
// and formats.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/test_bdd_fixture.h"

namespace {

class BddStats : public BddTest {
 protected:
  std::string report() {
    char* buf = nullptr;
    std::size_t len = 0;
    std::FILE* out = open_memstream(&buf, &len);
    bdd_stats(m, out);
    std::fclose(out);
    std::string text(buf, len);
    std::free(buf);
    return text;
  }
  static std::string allocated_line() {
    return "Memory manager bytes allocated: " + std::to_string(mem_allocation()) + "\n";
  }
};

TEST_F(BddStats, FreshEngine) {
  // 16369 buckets x 36 + 1 node x 20 + 30 x 12 + 30 x 1 x 4
  EXPECT_EQ(report(), allocated_line() +
                          "Approximate bytes used: 589784\n"
                          "Number of nodes: 1\n"
                          "Node limit: ---\n"
                          "Overflow: no\n"
                          "Approximate bytes per node: 589784.00\n"
                          "Cache entries: 0\n"
                          "Cache size: 32738\n"
                          "Cache load factor: 0.00\n"
                          "Cache look ups: 0\n"
                          "Cache hits: 0\n"
                          "Cache hit rate: ---\n"
                          "Cache insertions: 0\n"
                          "Cache collisions: 0\n"
                          "Number of variables: 0\n"
                          "Number of variable associations: 1\n"
                          "Number of garbage collections: 0\n"
                          "Number of nodes garbage collected: 0\n"
                          "Number of find operations: 1\n");
}

TEST_F(BddStats, AfterWork) {
  vars(3);
  bdd f = bdd_and(m, x[0], x[1]);
  bdd g = bdd_and(m, x[1], x[0]);  // a hit
  bdd h = bdd_xor(m, f, x[2]);
  bdd_free(m, g);
  bdd_free(m, h);
  bdd_gc(m);
  bdd_node_limit(m, 5000);
  m->overflow = 1;
  bdd pairs[] = {x[0], bdd_one(m), 0};
  bdd_new_assoc(m, pairs);

  const long entries = m->cache_entries;
  const long nodes = bdd_total_size(m);
  const long used = 16369 * 36 + nodes * 20 + 30 * 12 + 30 * 2 * 4;  // 36-byte cache buckets
  char expected[2048];
  std::snprintf(expected, sizeof expected,
                "Approximate bytes used: %ld\n"
                "Number of nodes: %ld\n"
                "Node limit: 5000\n"
                "Overflow: yes\n"
                "Approximate bytes per node: %-.2f\n"
                "Cache entries: %ld\n"
                "Cache size: 32738\n"
                "Cache load factor: %-.2f\n"
                "Cache look ups: %ld\n"
                "Cache hits: 1\n"
                "Cache hit rate: %-.2f\n"
                "Cache insertions: %ld\n"
                "Cache collisions: 0\n"
                "Number of variables: 3\n"
                "Number of variable associations: 2\n"
                "Number of garbage collections: 1\n"
                "Number of nodes garbage collected: %ld\n"
                "Number of find operations: %ld\n",
                used, nodes, static_cast<double>(used) / nodes, entries,
                static_cast<double>(entries) / 32738, m->cache_lookups,
                1.0 / static_cast<double>(m->cache_lookups), m->cache_insertions,
                m->collected_count, m->find_count);
  EXPECT_EQ(report(), allocated_line() + expected);
  EXPECT_EQ(nodes, 5);  // the constant, three literals and x0 and x1
  EXPECT_GT(m->collected_count, 0);
  bdd_free(m, f);
}

}  // namespace
