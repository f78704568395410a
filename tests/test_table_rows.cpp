// The flat row array of a table against a vector per row, on random tables
// built cell by cell as the parser builds them, and through its converters.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "blif/table_rows.h"

namespace {

using Rows = std::vector<std::vector<int>>;

void expect_rows(const table_rows& rows, const Rows& reference) {
  ASSERT_EQ(rows.size(), reference.size());
  EXPECT_EQ(rows.empty(), reference.empty());
  std::size_t cells = 0;
  for (std::size_t i = 0; i < reference.size(); ++i) {
    const table_rows::row r = rows[i];
    ASSERT_EQ(r.size(), reference[i].size()) << "row " << i;
    EXPECT_EQ(r.empty(), reference[i].empty());
    for (std::size_t j = 0; j < r.size(); ++j)
      EXPECT_EQ(r[j], reference[i][j]) << "row " << i << " cell " << j;
    cells += r.size();
  }
  EXPECT_EQ(rows.cell_count(), cells);
  EXPECT_EQ(rows.to_vectors(), reference);
}

TEST(TableRows, MatchesAVectorPerRowOnRandomTables) {
  std::mt19937 rng(7321);
  table_rows reused;
  for (int round = 0; round < 300; ++round) {
    Rows reference(rng() % 12);
    table_rows rows;
    reused.clear();
    for (std::vector<int>& row : reference) {
      // Empty rows too: a row is opened before its first cell.
      row.resize(rng() % 9);
      rows.start_row();
      reused.start_row();
      for (int& v : row) {
        v = static_cast<int>(rng() % 3);
        rows.push(v);
        reused.push(v);
      }
    }
    expect_rows(rows, reference);
    expect_rows(reused, reference);
    expect_rows(table_rows(reference), reference);
  }
}

TEST(TableRows, ListAndCopiesKeepTheirRows) {
  const table_rows listed{{1, 2, 0}, {}, {2, 1, 1}};
  expect_rows(listed, Rows{{1, 2, 0}, {}, {2, 1, 1}});
  table_rows copy = listed;
  copy.push(0);
  expect_rows(copy, Rows{{1, 2, 0}, {}, {2, 1, 1, 0}});
  expect_rows(listed, Rows{{1, 2, 0}, {}, {2, 1, 1}});
  table_rows moved = std::move(copy);
  expect_rows(moved, Rows{{1, 2, 0}, {}, {2, 1, 1, 0}});
  moved.clear();
  expect_rows(moved, Rows{});
}

}  // namespace
