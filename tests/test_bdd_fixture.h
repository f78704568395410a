// Shared fixture of the BDD engine tests: a fresh engine instance per test,
// checked for broken invariants before it is released, and small helpers to
// build functions and compare them with truth tables.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "bdd/bdd.h"
#include "bdd/bdd_debug.h"
#include "bdd/bdd_int.h"

// Runs statement in a child process and expects the engine's fatal line and status 1.
#define EXPECT_BDD_FATAL(statement, text)              \
  EXPECT_EXIT(statement, ::testing::ExitedWithCode(1), \
              ::testing::Eq(std::string("BDD library: error: ") + (text) + "\n"))

class BddTest : public ::testing::Test {
 protected:
  bdd_manager m = nullptr;
  std::vector<bdd> x;  // positive literals, x[i] at index i when made by vars()

  void SetUp() override {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    m = bdd_init();
  }
  void TearDown() override {
    EXPECT_EQ(bdd_debug_check(m), 0);
    bdd_quit(m);
  }

  void vars(int n) {
    for (int i = 0; i < n; ++i)
      x.push_back(bdd_new_var_last(m));
  }

  // Value of f for the assignment whose bit i gives the variable of index i.
  int eval(bdd f, std::uint64_t assignment) {
    std::vector<unsigned char> by_id(static_cast<std::size_t>(m->var_count) + 1, 0);
    for (int i = 0; i < m->var_count; ++i)
      by_id[m->id_of_index[i]] = (assignment >> i) & 1u;
    return bdd_debug_eval(m, f, by_id.data());
  }

  // Truth table over the first n variables, assignment 0 first.
  std::string table(bdd f, int n) {
    std::string s;
    for (std::uint64_t a = 0; a < (std::uint64_t{1} << n); ++a)
      s += eval(f, a) ? '1' : '0';
    return s;
  }

  // Minterm of the first n variables for `assignment`, with its reference.
  // Built bottom-up, so every intermediate result is part of the final one.
  bdd minterm(std::uint64_t assignment, int n) {
    bdd r = bdd_identity(m, bdd_one(m));
    for (int i = n - 1; i >= 0; --i) {
      bdd lit = (assignment >> i) & 1u ? x[i] : x[i] ^ 1u;
      bdd next = bdd_and(m, r, lit);
      bdd_free(m, r);
      r = next;
    }
    return r;
  }

  // Function of the first n variables with the given truth table (bit a = value at a),
  // with its reference.
  bdd from_table(std::uint64_t bits, int n) {
    bdd r = bdd_identity(m, bdd_zero(m));
    for (std::uint64_t a = 0; a < (std::uint64_t{1} << n); ++a) {
      if (((bits >> a) & 1u) == 0) continue;
      bdd t = minterm(a, n);
      bdd next = bdd_or(m, r, t);
      bdd_free(m, r);
      bdd_free(m, t);
      r = next;
    }
    return r;
  }

  // Counts nodes whose temps byte is not zero (must be none between operations).
  long nonzero_temps() {
    long count = 0;
    for (int id = 0; id <= m->var_count; ++id) {
      const var_table* vt = m->unique_tables[id];
      const std::uint32_t* heads = bdd_table_heads(vt);
      for (std::int32_t b = 0; b < vt->bucket_count; ++b) {
        for (std::uint32_t off = heads[b]; off != 0; off = bdd_node_at(off)->next) {
          if (bdd_node_at(off)->temps != 0) ++count;
        }
      }
    }
    return count;
  }
};
