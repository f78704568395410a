// Whole runs on single tables of many inputs, merged with an empty model:
// the or and the and of 18 to 64 inputs, and threshold tables, each with
// the cover expected byte for byte. Past the implicant tree's own limit the
// primes come in the order the tree meets them (a positive literal before a
// negative one before an absent one, from the first column).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/test_util.h"

using testutil::run_tessaro;
using testutil::TempDir;

namespace {

std::string inputs(int n) {
  std::string names;
  for (int i = 0; i < n; ++i)
    names += (i > 0 ? " i" : "i") + std::to_string(i);
  return names;
}

// A model t with inputs i0 .. i(n-1), output y and one table for y.
std::string table(int n, const std::vector<std::string>& rows) {
  std::string text =
      ".model t\n.inputs " + inputs(n) + "\n.outputs y\n.names " + inputs(n) + " y\n";
  for (const std::string& row : rows)
    text += row + " 1\n";
  return text + ".end\n";
}

// The merged file when y's cover has these rows.
std::string merged(int n, const std::vector<std::string>& rows) {
  std::string text =
      ".model t_e\n.inputs " + inputs(n) + "\n.outputs y\n\n.names  " + inputs(n) + " y\n";
  for (const std::string& row : rows)
    text += row + " 1\n";
  return text + "\n.end\n\n";
}

// Rows with a 1 in the given columns and - elsewhere.
std::string ones_at(int n, const std::vector<int>& columns) {
  std::string row(static_cast<std::size_t>(n), '-');
  for (int c : columns)
    row[static_cast<std::size_t>(c)] = '1';
  return row;
}

void expect_cover(int n, const std::vector<std::string>& rows,
                  const std::vector<std::string>& cover) {
  TempDir d;
  d.write("t.blif", table(n, rows));
  d.write("e.blif", ".model e\n.end\n");
  auto r = run_tessaro(d.path(), {"t", "e"});
  EXPECT_EQ(r.status, 0) << r.err.substr(r.err.size() > 400 ? r.err.size() - 400 : 0);
  EXPECT_EQ(d.read("t_e.blif"), merged(n, cover));
}

TEST(WideTables, OrOfManyInputsIsItsRows) {
  for (int n : {18, 24, 32, 64}) {
    SCOPED_TRACE("or of " + std::to_string(n));
    std::vector<std::string> rows;
    for (int i = 0; i < n; ++i)
      rows.push_back(ones_at(n, {i}));
    expect_cover(n, rows, rows);
  }
}

TEST(WideTables, AndOfManyInputsIsOneRow) {
  for (int n : {18, 24, 32, 64}) {
    SCOPED_TRACE("and of " + std::to_string(n));
    const std::vector<std::string> row{std::string(static_cast<std::size_t>(n), '1')};
    expect_cover(n, row, row);
  }
}

// At least 2 of 40: the 780 pairs, all essential, in meeting order; the
// table lists them the other way round.
TEST(WideTables, ThresholdTwoOfFortyGivesEveryPairInMeetingOrder) {
  const int n = 40;
  std::vector<std::string> pairs;
  for (int i = 0; i < n; ++i)
    for (int j = i + 1; j < n; ++j)
      pairs.push_back(ones_at(n, {i, j}));
  expect_cover(n, std::vector<std::string>(pairs.rbegin(), pairs.rend()), pairs);
}

// At least 39 of 40, written as its 40 rows: 40 primes, each missing one
// input, the missing one last first.
TEST(WideTables, ThresholdThirtyNineOfForty) {
  const int n = 40;
  std::vector<std::string> rows;
  for (int i = 0; i < n; ++i) {
    std::string row(static_cast<std::size_t>(n), '1');
    row[static_cast<std::size_t>(i)] = '-';
    rows.push_back(row);
  }
  expect_cover(n, rows, std::vector<std::string>(rows.rbegin(), rows.rend()));
}

}  // namespace
