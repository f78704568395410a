// Cycle-by-cycle simulation of a flat model for the reader's tests: the
// value of every signal in one cycle, from the inputs and the latches.
// Undriven signals read 0; a combinational cycle reads 0 where it closes.
#pragma once

#include <map>
#include <set>
#include <string>
#include <unordered_map>

#include "blif/flat_model.h"

namespace testutil {

class flat_model_sim {
 public:
  explicit flat_model_sim(const tessaro::flat_model& m) : m_(m) {
    for (std::size_t i = 0; i < m.tables.size(); ++i)
      table_of_[m.tables[i].output()] = i;
    for (const tessaro::flat_latch& l : m.latches)
      state_[l.output] = l.init;
  }

  // One clock cycle; returns the values before the clock edge.
  std::map<std::string, int> step(const std::map<std::string, int>& inputs) {
    values_.clear();
    busy_.clear();
    for (const auto& s : state_)
      values_[s.first] = s.second;
    for (const std::string& n : m_.inputs) {
      auto it = inputs.find(n);
      values_[n] = it == inputs.end() ? 0 : it->second;
    }
    for (const auto& t : m_.tables)
      value(t.output());
    for (const auto& l : m_.latches)
      value(l.input);
    std::map<std::string, int> seen(values_.begin(), values_.end());
    for (const auto& l : m_.latches)
      state_[l.output] = values_[l.input];
    return seen;
  }

  int value(const std::string& name) {
    auto v = values_.find(name);
    if (v != values_.end()) return v->second;
    auto t = table_of_.find(name);
    if (t == table_of_.end() || !busy_.insert(name).second) return 0;
    const tessaro::flat_table& table = m_.tables[t->second];
    const std::size_t inputs = table.names.size() - 1;
    int any = 0;
    for (const std::string& row : table.rows) {
      int hit = 1;
      for (std::size_t i = 0; i < inputs && hit; ++i)
        if (row[i] != '-' && value(table.names[i]) != row[i] - '0') hit = 0;
      any |= hit;
    }
    const int result = table.off_set() ? !any : any;
    values_[name] = result;
    return result;
  }

 private:
  const tessaro::flat_model& m_;
  std::unordered_map<std::string, std::size_t> table_of_;
  std::unordered_map<std::string, int> state_;
  std::unordered_map<std::string, int> values_;
  std::set<std::string> busy_;
};

}  // namespace testutil
