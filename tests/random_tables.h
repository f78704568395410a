// Random tables for the tests that build models in memory: each table
// drives a name that is neither an input nor driven yet, reads up to three
// distinct other names, and has one to three rows of 0, 1 and -.
#pragma once

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "blif/blif_model.h"

namespace testutil {

inline bool listed(const std::vector<std::string>& list, const std::string& name) {
  return std::find(list.begin(), list.end(), name) != list.end();
}

// Appends up to five tables over names drawn by `pick`; the names they
// drive join `driven`.
template <class Pick>
void add_random_tables(std::mt19937& rng, Pick&& pick, const std::vector<std::string>& inputs,
                       std::vector<std::string>& driven, std::vector<blif_table>& tables) {
  for (int t = static_cast<int>(rng() % 6); t > 0; --t) {
    const std::string y = pick();
    if (listed(inputs, y) || listed(driven, y)) continue;
    driven.push_back(y);
    std::vector<std::string> columns;
    for (int i = static_cast<int>(rng() % 4); i > 0; --i) {
      const std::string x = pick();
      if (x != y && !listed(columns, x)) columns.push_back(x);
    }
    std::vector<std::vector<int>> rows(1 + rng() % 3);
    for (std::vector<int>& row : rows) {
      for (std::size_t i = 0; i < columns.size(); ++i)
        row.push_back(static_cast<int>(rng() % 3));
      row.push_back(1);
    }
    columns.push_back(y);
    tables.push_back({columns, rows, 0});
  }
}

}  // namespace testutil
