// Tests of reference counts, garbage collection, the check with its limits,
// and the protected frame that abandons (node limit, abort) or restarts
// (reordering) an operation.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "tests/test_bdd_fixture.h"

namespace {

class BddGc : public BddTest {
 protected:
  std::mt19937_64 rng{2024};

  // Variables a0..a(k-1), b0..b(k-1) in this order, then z at the bottom.
  void comparator_vars(int k) { vars(2 * k + 1); }
  bdd z() { return x.back(); }

  // a == b over k bits: about 3 x 2^k nodes, since all a's lie above all b's.
  bdd equality(int k) {
    bdd e = bdd_identity(m, bdd_one(m));
    for (int i = 0; i < k; ++i) {
      bdd t = bdd_xnor(m, x[i], x[k + i]);
      bdd next = bdd_and(m, e, t);
      bdd_free(m, e);
      bdd_free(m, t);
      e = next;
    }
    return e;
  }

  // Keeps random minterms over all variables until `live` nodes are referenced.
  void pad_live(std::vector<bdd>* keep, long live) {
    while (bdd_total_size(m) < live)
      keep->push_back(minterm(rng(), static_cast<int>(x.size())));
  }

  // Builds and drops one random minterm: garbage only.
  void make_garbage() { bdd_free(m, minterm(rng(), static_cast<int>(x.size()))); }

  void free_all(const std::vector<bdd>& fs) {
    for (bdd f : fs)
      bdd_free(m, f);
  }
};

TEST_F(BddGc, FreeAndUnfreeCounts) {
  vars(2);
  bdd f = bdd_and(m, x[0], x[1]);
  EXPECT_EQ(bdd_debug_refs(f), 1);
  EXPECT_EQ(bdd_unfree(m, f ^ 1u), 2);
  EXPECT_EQ(bdd_free(m, f), 1);
  EXPECT_EQ(bdd_free(m, f), 0);
  EXPECT_EQ(bdd_unfree(m, 0), 0);

  testing::internal::CaptureStderr();
  EXPECT_EQ(bdd_free(m, 0), 0);
  EXPECT_EQ(bdd_free(m, bdd_one(m)), 255);
  EXPECT_EQ(bdd_free(m, bdd_zero(m)), 255);
  EXPECT_EQ(bdd_free(m, x[0]), 255);
  EXPECT_EQ(bdd_free(m, x[0] ^ 1u), 255);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(bdd_debug_refs(x[0]), 255);
}

TEST_F(BddGc, ExternalCountSaturatesIntoPermanent) {
  vars(2);
  bdd f = bdd_or(m, x[0], x[1]);
  for (int i = 1; i < 254; ++i)
    bdd_unfree(m, f);
  EXPECT_EQ(bdd_debug_refs(f), 254);
  EXPECT_EQ(bdd_unfree(m, f), 255);
  EXPECT_EQ(bdd_free(m, f), 255);
  bdd_gc(m);
  EXPECT_EQ(bdd_total_size(m), 4);  // a permanent node is never collected
}

TEST_F(BddGc, TemporaryCountSaturatesIntoPermanent) {
  vars(2);
  bdd f = bdd_or(m, x[0], x[1]);
  bdd_* n = bdd_node(f);
  n->temps = 125;
  bdd_temp_inc(f);
  EXPECT_EQ(n->temps, 126);
  bdd_temp_inc(f);
  EXPECT_EQ(n->refs, 255);
  EXPECT_EQ(n->temps, 0);
  bdd_temp_dec(f);  // no effect on a permanent node
  EXPECT_EQ(n->temps, 0);
}

TEST_F(BddGc, FreedHandleLivesUntilTheNextCollection) {
  vars(4);
  bdd inner = bdd_and(m, x[2], x[3]);
  bdd outer = bdd_or(m, x[0], inner);
  bdd lone = bdd_xor(m, x[1], x[3]);
  long size = bdd_total_size(m);
  bdd_free(m, inner);
  bdd_free(m, lone);
  EXPECT_EQ(bdd_total_size(m), size);
  EXPECT_EQ(bdd_type(m, lone), BDD_TYPE_NONTERMINAL);  // still readable
  bdd again = bdd_and(m, x[3], x[2]);                  // found again, not rebuilt
  EXPECT_EQ(again, inner);
  bdd_free(m, again);
  bdd_gc(m);
  EXPECT_EQ(m->gc_count, 1);
  EXPECT_EQ(bdd_debug_check(m), 0);
  // inner is reachable from outer and stays; lone's single node goes.
  EXPECT_EQ(bdd_total_size(m), size - 1);
  EXPECT_EQ(m->collected_count, 1);
  bdd_free(m, outer);
  bdd_gc(m);
  EXPECT_EQ(bdd_total_size(m), 5);
}

TEST_F(BddGc, CollectionPurgesCacheEntriesOfDeadNodes) {
  vars(3);
  bdd keep = bdd_and(m, x[0], x[1]);
  bdd drop = bdd_xor(m, x[1], x[2]);
  bdd_free(m, drop);
  long entries = m->cache_entries;
  EXPECT_GT(entries, 0);
  bdd_gc(m);
  EXPECT_LT(m->cache_entries, entries);
  EXPECT_EQ(bdd_debug_check(m), 0);  // no entry names a collected node
  long hits = m->cache_hits;
  bdd again = bdd_and(m, x[1], x[0]);
  EXPECT_EQ(m->cache_hits, hits + 1);  // the live entry survived
  EXPECT_EQ(again, keep);
  bdd_free(m, again);
  bdd_free(m, keep);
}

int user_purged = 0;
void count_user_purge(bdd_manager, void*) {
  ++user_purged;
}
// A user tag whose entries die with the node in word 1.
int gc_word1(bdd_manager, void* entry) {
  std::uint32_t h = static_cast<cache_entry*>(entry)->w[1];
  return (bdd_node(h)->temps & kMark) == 0;
}

// Entries held in place: a collection removes exactly the entries whose gc
// function says so, through both slots of a bucket, calling the purge
// function of each, and a survivor of slot 1 moves up to slot 0.
TEST_F(BddGc, CollectionPurgesUserEntriesInBothSlots) {
  vars(4);
  user_purged = 0;
  const int tag = bdd_cache_functions(m, 2, gc_word1, count_user_purge, nullptr, nullptr);
  ASSERT_GE(tag, kCacheFirstUserTag);
  bdd live = bdd_and(m, x[0], x[1]);
  bdd dead = bdd_or(m, x[2], x[3]);
  bdd_free(m, dead);
  bdd_flush_all(m);
  // Keys (k, h) with k = 5 + j * buckets - 2 h land in one bucket: hash2 is k + 2 h.
  const std::uint32_t n = m->cache_bucket_count;
  const std::uint32_t k_live = 5u + 4u * n - 2u * live;
  const std::uint32_t k_dead = 5u + 4u * n - 2u * dead;
  bdd_insert_in_cache22(m, tag, k_dead, dead, 3, 4);
  bdd_insert_in_cache22(m, tag, k_live, live, 1, 2);  // a free slot 1 takes the newcomer
  cache_bucket* b = bdd_cache_bucket_of(m, bdd_hash2(k_live, live));
  ASSERT_EQ(b, bdd_cache_bucket_of(m, bdd_hash2(k_dead, dead)));
  ASSERT_EQ(b->e[0].w[1], dead);
  ASSERT_EQ(b->e[1].w[1], live);
  bdd_gc(m);
  EXPECT_EQ(user_purged, 1);
  EXPECT_EQ(m->cache_entries, 1);
  EXPECT_EQ(b->e[0].w[1], live);  // moved up
  EXPECT_EQ(b->tag[1], 0);
  std::uint32_t r1 = 0, r2 = 0;
  EXPECT_TRUE(bdd_lookup_in_cache22(m, tag, k_live, live, &r1, &r2));
  EXPECT_EQ(r1 + r2, 3u);
  // A third entry in a full bucket pushes out the one in slot 1, purged too.
  bdd_insert_in_cache22(m, tag, k_live + 2u * n, live, 5, 6);
  bdd_insert_in_cache22(m, tag, k_live + 4u * n, live, 7, 8);
  EXPECT_EQ(user_purged, 2);
  EXPECT_EQ(bdd_debug_check(m), 0);
  bdd_free_cache_tag(m, tag);
  EXPECT_EQ(user_purged, 4);  // the two entries left
  bdd_free(m, live);
}

// Collections over many variables, with structures wide (about 6000 nodes
// under one root) and deep (a sum of 1100 products along one path, more
// pending nodes than the mark's first stack holds): everything held
// survives with its function, everything else goes, and the tables stay
// consistent through growth and shrinking.
TEST_F(BddGc, CollectionsOverManyVariablesKeepHeldFunctions) {
  comparator_vars(11);   // 23 variables: a0..a10 above b0..b10, then z
  bdd e = equality(11);  // about 6000 nodes under one root
  bdd_gc(m);
  const long with_equality = bdd_total_size(m);
  constexpr int kExtra = 2200;
  std::vector<bdd> extra;
  for (int i = 0; i < kExtra; ++i)
    extra.push_back(bdd_new_var_last(m));
  auto sum_of_products = [&]() {
    bdd sum = bdd_identity(m, bdd_zero(m));
    for (int i = kExtra - 2; i >= 0; i -= 2) {
      bdd p = bdd_and(m, extra[i], extra[i + 1]);
      bdd next = bdd_or(m, sum, p);
      bdd_free(m, p);
      bdd_free(m, sum);
      sum = next;
    }
    return sum;
  };
  bdd deep = sum_of_products();
  struct Held {
    bdd f;
    int i;
    int v;
  };
  std::vector<Held> held;
  auto make = [&](int i, int v) {
    bdd t = bdd_xor(m, extra[i], extra[i + 1]);
    bdd u = bdd_and(m, t, x[v]);
    bdd_free(m, t);
    return u;
  };
  for (int round = 0; round < 4; ++round) {
    for (int i = 0; i + 1 < 300; i += 2) {
      const int v = static_cast<int>(rng() % 22);
      bdd u = make(i, v);
      if (i % 6 == 2 * (round % 3)) {
        held.push_back({u, i, v});
      } else {
        bdd_free(m, u);
      }
    }
    bdd_gc(m);
    ASSERT_EQ(bdd_debug_check(m), 0) << "round " << round;
  }
  // Built again, every held function is found: the same handles.
  for (const Held& h : held) {
    bdd u = make(h.i, h.v);
    EXPECT_EQ(u, h.f);
    bdd_free(m, u);
  }
  bdd again = equality(11);
  EXPECT_EQ(again, e);
  bdd_free(m, again);
  again = sum_of_products();
  EXPECT_EQ(again, deep);
  bdd_free(m, again);
  bdd_free(m, deep);
  std::vector<bdd> keep;
  for (const Held& h : held)
    keep.push_back(h.f);
  free_all(keep);
  for (bdd v : extra)
    bdd_free(m, v);
  bdd_gc(m);
  EXPECT_EQ(bdd_total_size(m), with_equality + kExtra);  // the new literals are permanent
  bdd_free(m, e);
  bdd_gc(m);
  EXPECT_EQ(bdd_total_size(m), 1 + 23 + kExtra);
  EXPECT_EQ(bdd_debug_check(m), 0);
}

TEST_F(BddGc, CollectionWaitsForTheLimitThenDoublesIt) {
  vars(20);
  std::vector<bdd> keep;
  pad_live(&keep, kGcLimitFloor * 7 / 10);
  const long live = bdd_total_size(m);
  long before = 0;
  EXPECT_EQ(m->gc_count, 0);
  while (m->gc_count == 0) {
    EXPECT_LE(bdd_total_size(m), kGcLimitFloor + kCheckInterval);  // a check every 100 lookups
    before = bdd_total_size(m);
    make_garbage();
  }
  EXPECT_GT(before, kGcLimitFloor - 21);  // the collecting check saw more than the floor
  EXPECT_GE(m->gc_limit, 2 * live);
  EXPECT_LE(m->gc_limit, 2 * (live + 21));  // plus the running operation's own nodes
  const long limit = m->gc_limit;
  while (m->gc_count == 1) {
    EXPECT_LE(bdd_total_size(m), limit + kCheckInterval);
    before = bdd_total_size(m);
    make_garbage();
  }
  EXPECT_GT(before, limit - 21);
  EXPECT_EQ(bdd_debug_check(m), 0);
  free_all(keep);
  const long last_limit = m->gc_limit;
  bdd_gc(m);
  EXPECT_EQ(m->gc_limit, last_limit);  // a direct collection leaves the limit alone
  EXPECT_EQ(bdd_total_size(m), 21);
}

TEST_F(BddGc, CollectionInTheMiddleDoesNotChangeResults) {
  comparator_vars(8);
  bdd e = equality(8);
  std::vector<bdd> during, others;
  for (int round = 0; round < 3; ++round) {
    others.push_back(bdd_and(m, x[round], x[9 + round]));
    bdd_flush_all(m);
    while (bdd_total_size(m) < m->gc_limit - 50)
      make_garbage();
    const long gcs = m->gc_count;
    during.push_back(bdd_ite(m, e, z(), others.back()));
    EXPECT_EQ(m->gc_count, gcs + 1);
    EXPECT_EQ(bdd_debug_check(m), 0);
  }
  bdd_flush_all(m);
  const long gcs = m->gc_count;
  for (int round = 0; round < 3; ++round) {
    bdd want = bdd_ite(m, e, z(), others[round]);
    EXPECT_EQ(during[round], want);
    bdd_free(m, want);
  }
  EXPECT_EQ(m->gc_count, gcs);
  for (int a = 0; a < 300; ++a) {
    std::uint64_t v = rng();
    EXPECT_EQ(eval(during[2], v), eval(e, v) ? eval(z(), v) : eval(others[2], v));
  }
  free_all(during);
  free_all(others);
  bdd_free(m, e);
}

int overflow_calls = 0;
void* overflow_arg_seen = nullptr;
void on_overflow(bdd_manager, void* arg) {
  ++overflow_calls;
  overflow_arg_seen = arg;
}

TEST_F(BddGc, NodeLimitAbandonsTheOperation) {
  comparator_vars(10);
  bdd e = equality(10);
  std::vector<bdd> keep;
  bdd_gc(m);
  pad_live(&keep, 4200);
  int cookie = 0;
  overflow_calls = 0;
  bdd_overflow_closure(m, on_overflow, &cookie);
  EXPECT_EQ(bdd_node_limit(m, 5000), 0);
  EXPECT_EQ(m->gc_limit, 5000);

  const long gcs = m->gc_count;
  EXPECT_EQ(bdd_and(m, e, z()), 0u);
  EXPECT_EQ(overflow_calls, 1);
  EXPECT_EQ(overflow_arg_seen, &cookie);
  EXPECT_EQ(m->gc_count, gcs + 2);  // the check's collection and the cleanup's
  EXPECT_EQ(nonzero_temps(), 0);
  EXPECT_EQ(bdd_debug_check(m), 0);
  EXPECT_LT(bdd_total_size(m), 4300);  // the abandoned work was collected
  EXPECT_EQ(bdd_overflow(m), 1);
  EXPECT_EQ(bdd_overflow(m), 0);
  EXPECT_EQ(bdd_and(m, 0, e), 0u);  // a null result carried on stays null

  EXPECT_EQ(bdd_node_limit(m, -3), 5000);
  EXPECT_EQ(m->node_limit, 0);
  bdd r = bdd_and(m, e, z());
  EXPECT_NE(r, 0u);
  EXPECT_EQ(bdd_overflow(m), 0);
  EXPECT_EQ(overflow_calls, 1);
  free_all(keep);
  free_all({e, r});
}

int abort_calls = 0;
void on_abort(bdd_manager mm, void* arg) {
  ++abort_calls;
  *static_cast<int*>(arg) += 10;
  bdd_abort_closure(mm, nullptr, nullptr);
}

TEST_F(BddGc, AbortClosureAbandonsAtTheNextCheck) {
  comparator_vars(6);
  bdd e = equality(6);
  int cookie = 1;
  abort_calls = 0;
  bdd_abort_closure(m, on_abort, &cookie);
  EXPECT_EQ(bdd_and(m, e, z()), 0u);  // needs about 190 lookups: a check comes
  EXPECT_EQ(abort_calls, 1);
  EXPECT_EQ(cookie, 11);
  EXPECT_EQ(nonzero_temps(), 0);
  EXPECT_EQ(bdd_debug_check(m), 0);
  bdd r = bdd_and(m, e, z());  // the closure cleared itself
  EXPECT_NE(r, 0u);
  EXPECT_EQ(abort_calls, 1);
  free_all({e, r});
}

int reorder_calls = 0;
void count_reorder(bdd_manager) {
  ++reorder_calls;
}

TEST_F(BddGc, ReorderingRestartsTheOperation) {
  comparator_vars(11);
  bdd e = equality(11);
  std::vector<bdd> keep;
  bdd_gc(m);
  pad_live(&keep, 7000);
  m->gc_limit = 10000;  // within reach of the operation's growth, whatever the building left
  reorder_calls = 0;
  bdd_dynamic_reordering(m, count_reorder);
  const long gcs = m->gc_count;
  const long finds = m->find_count;
  bdd r = bdd_and(m, e, z());
  EXPECT_EQ(reorder_calls, 1);
  EXPECT_GE(m->gc_count, gcs + 2);               // the check's collection and the cleanup's
  EXPECT_GT(m->find_count - finds, 6143 + 100);  // part of the work was done twice
  EXPECT_EQ(nonzero_temps(), 0);
  EXPECT_EQ(bdd_debug_check(m), 0);

  bdd_dynamic_reordering(m, nullptr);
  bdd_flush_all(m);
  bdd want = bdd_and(m, e, z());
  EXPECT_EQ(r, want);
  EXPECT_EQ(reorder_calls, 1);
  for (int a = 0; a < 200; ++a) {
    std::uint64_t v = rng();
    EXPECT_EQ(eval(r, v), eval(e, v) & eval(z(), v));
  }
  free_all(keep);
  free_all({e, r, want});
}

// A result of the connective recursions carries no count: while it waits for
// its sibling only its shadow record keeps it, through collections and
// through a reordering that moves its variables.
TEST_F(BddGc, ShadowRecordsHoldResultsThroughCollectionAndReordering) {
  comparator_vars(6);
  bdd e = equality(6);
  bdd_gc(m);
  const long before = m->node_count;
  bdd r = bdd_and_rec(m, e, z() ^ 1u);
  ASSERT_EQ(bdd_node(r)->refs, 0);
  ASSERT_EQ(bdd_node(r)->temps, 0);
  auto check_r = [&](const char* when) {
    for (int a = 0; a < 300; ++a) {
      std::uint64_t v = rng();
      ASSERT_EQ(eval(r, v), eval(e, v) & (eval(z(), v) ^ 1)) << when;
    }
  };
  bdd_shadow held;
  bdd_shadow_push(m, &held, r);
  bdd_gc(m);
  EXPECT_GT(m->node_count, before) << "the held result was collected";
  check_r("after a collection");

  auto order = [&] { return std::vector<int>(m->id_of_index, m->id_of_index + m->var_count); };
  const std::vector<int> order_before = order();
  m->reorder_fn = bdd_reorder_sift;
  bdd_run_reorder(m);
  m->reorder_fn = nullptr;
  EXPECT_NE(order(), order_before) << "sifting left the order alone";
  check_r("after a reordering");
  bdd_gc(m);
  const long held_nodes = m->node_count;
  bdd_shadow_pop(m, &held);
  EXPECT_EQ(m->shadow, nullptr);
  EXPECT_EQ(nonzero_temps(), 0);
  EXPECT_EQ(bdd_debug_check(m), 0);
  bdd_gc(m);
  EXPECT_LT(m->node_count, held_nodes) << "nothing but the record held the result";
  bdd_free(m, e);
}

TEST_F(BddGc, ClearRefsRebuildsTheExternalCounts) {
  vars(3);
  bdd f = bdd_and(m, x[0], x[1]);
  bdd g = bdd_or(m, f, x[2]);
  bdd_unfree(m, g);
  bdd_clear_refs(m);
  EXPECT_EQ(bdd_debug_refs(f), 0);
  EXPECT_EQ(bdd_debug_refs(g), 0);
  EXPECT_EQ(bdd_debug_refs(x[1]), 255);
  EXPECT_EQ(bdd_debug_refs(bdd_one(m)), 255);
  bdd_gc(m);
  EXPECT_EQ(bdd_total_size(m), 4);
}

TEST_F(BddGc, ArgumentChecks) {
  vars(2);
  bdd f = bdd_and(m, x[0], x[1]);
  EXPECT_TRUE(bdd_check_arguments(3, f, x[0], bdd_one(m)));
  EXPECT_FALSE(bdd_check_arguments(2, f, bdd{0}));
  bdd list[] = {f, x[1], 0};
  EXPECT_TRUE(bdd_check_array(list));
  bdd_free(m, f);
  EXPECT_BDD_FATAL(bdd_check_arguments(1, f), "bdd_check_arguments: argument has zero references");
  EXPECT_BDD_FATAL(bdd_check_array(list), "bdd_check_arguments: argument has zero references");
  EXPECT_BDD_FATAL(bdd_or(m, x[0], f), "bdd_check_arguments: argument has zero references");
  EXPECT_BDD_FATAL(bdd_then(m, f), "bdd_check_arguments: argument has zero references");
  EXPECT_BDD_FATAL(bdd_if(m, f), "bdd_check_arguments: argument has zero references");
  EXPECT_BDD_FATAL(bdd_free(m, f), "bdd_free: attempt to free node with zero references");
}

std::vector<std::int32_t> freed_terminals;
void on_terminal_free(bdd_manager, long a, long b, void*) {
  freed_terminals.push_back(static_cast<std::int32_t>(a));
  freed_terminals.push_back(static_cast<std::int32_t>(b));
}

TEST_F(BddGc, CollectedTerminalCallsTheFreeFunction) {
  freed_terminals.clear();
  m->terminal_free = on_terminal_free;
  bdd t = bdd_find_terminal(m, 7, 9);
  bdd u = bdd_find_terminal(m, -3, 4);
  bdd_make_external(m, u);
  bdd_node(t)->temps = 0;
  bdd_gc(m);
  ASSERT_EQ(freed_terminals.size(), 2u);
  EXPECT_EQ(freed_terminals[0], -8);  // (7, 9) is kept as its negation (-8, -9)
  EXPECT_EQ(freed_terminals[1], -9);
  bdd_free(m, u);
  bdd_gc(m);
  EXPECT_EQ(freed_terminals.size(), 4u);
  EXPECT_EQ(bdd_total_size(m), 1);
}

}  // namespace
