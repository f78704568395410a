// Reader of combinational BLIF and the depth-first schedule and order.
#include "bench/vs/blif_circuit.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <unordered_map>
#include <utility>

namespace benchvs {

namespace {

using Words = std::vector<std::string>;

// Lines with comments cut and backslash continuations joined, split into
// words; empty lines are dropped.
std::vector<Words> logical_lines(const std::string& text) {
  std::vector<Words> lines;
  std::istringstream in(text);
  std::string pending;
  for (std::string line; std::getline(in, line);) {
    std::size_t hash = line.find('#');
    if (hash != std::string::npos) line.erase(hash);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line.back() == '\\') {
      line.pop_back();
      pending += line + " ";
      continue;
    }
    std::istringstream words(pending + line);
    pending.clear();
    Words w;
    for (std::string word; words >> word;)
      w.push_back(word);
    if (!w.empty()) lines.push_back(std::move(w));
  }
  return lines;
}

bool fail(std::string* error, const std::string& reason) {
  *error = reason;
  return false;
}

bool is_cube(const std::string& s, std::size_t width) {
  if (s.size() != width) return false;
  for (char ch : s)
    if (ch != '0' && ch != '1' && ch != '-') return false;
  return true;
}

class Builder {
 public:
  explicit Builder(Circuit* c) : c_(c) {}

  int signal(const std::string& name) {
    auto it = number_.find(name);
    if (it != number_.end()) return it->second;
    int id = static_cast<int>(c_->signals.size());
    c_->signals.push_back(Signal{});
    c_->signals.back().name = name;
    defined_.push_back(false);
    number_.emplace(name, id);
    return id;
  }

  // Marks the signal as defined; false if it already was.
  bool define(int id) {
    if (defined_[id]) return false;
    defined_[id] = true;
    return true;
  }

  bool all_defined(std::string* error) const {
    for (std::size_t i = 0; i < defined_.size(); ++i)
      if (!defined_[i]) return fail(error, "signal " + c_->signals[i].name + " is never defined");
    return true;
  }

 private:
  Circuit* c_;
  std::unordered_map<std::string, int> number_;
  std::vector<bool> defined_;
};

// Adds one row of the table of gate `g`.
bool add_row(Signal* g, const Words& row, bool first, std::string* error) {
  std::string cube, value;
  if (g->fanins.empty() && row.size() == 1) {
    value = row[0];
  } else if (row.size() == 2 && is_cube(row[0], g->fanins.size())) {
    cube = row[0];
    value = row[1];
  } else {
    return fail(error, "bad row in the table of " + g->name);
  }
  if (value != "0" && value != "1")
    return fail(error, "bad output value in the table of " + g->name);
  bool onset = value == "1";
  if (!first && onset != g->onset)
    return fail(error, "the table of " + g->name + " mixes 0 and 1 rows");
  g->onset = onset;
  g->cubes.push_back(cube);
  return true;
}

// Depth-first walk from `roots`, fanins in the order `fanins_of` gives:
// gates in post-order into *schedule, inputs numbered when first reached
// into *var_of. False on a cycle.
template <typename FaninsOf>
bool walk(const Circuit& c, const std::vector<int>& roots, FaninsOf fanins_of,
          std::vector<int>* schedule, std::vector<int>* var_of, std::string* error) {
  enum : char { kNew, kOpen, kDone };
  std::vector<char> state(c.signals.size(), kNew);
  var_of->assign(c.signals.size(), -1);
  schedule->clear();
  int vars = 0;
  std::vector<std::pair<int, std::size_t>> stack;
  for (int root : roots) {
    if (state[root] != kNew) continue;
    stack.push_back({root, 0});
    state[root] = kOpen;
    while (!stack.empty()) {
      const int id = stack.back().first;
      const std::size_t next = stack.back().second;
      const std::vector<int>& fanins = fanins_of(id);
      if (c.signals[id].is_input) {
        (*var_of)[id] = vars++;
        state[id] = kDone;
        stack.pop_back();
      } else if (next < fanins.size()) {
        ++stack.back().second;
        int f = fanins[next];
        if (state[f] == kOpen) return fail(error, "signal " + c.signals[f].name + " is on a cycle");
        if (state[f] == kNew) {
          state[f] = kOpen;
          stack.push_back({f, 0});
        }
      } else {
        schedule->push_back(id);
        state[id] = kDone;
        stack.pop_back();
      }
    }
  }
  return true;
}

// The order of the inputs: a depth-first walk that takes the outputs and the
// fanins of every gate deepest first (depth: longest path from an input),
// ties in declaration order. Inputs never reached are numbered last.
bool order(Circuit* c, std::string* error) {
  std::vector<int> topological, unused;
  auto declared = [c](int id) -> const std::vector<int>& { return c->signals[id].fanins; };
  if (!walk(*c, c->outputs, declared, &topological, &unused, error)) return false;
  std::vector<int> depth(c->signals.size(), 0);
  for (int g : topological)
    for (int f : c->signals[g].fanins)
      depth[g] = std::max(depth[g], depth[f] + 1);
  auto deepest_first = [&depth](std::vector<int> v) {
    std::stable_sort(v.begin(), v.end(), [&depth](int a, int b) { return depth[a] > depth[b]; });
    return v;
  };
  std::vector<std::vector<int>> sorted(c->signals.size());
  for (int g : topological)
    sorted[g] = deepest_first(c->signals[g].fanins);
  auto by_depth = [&sorted](int id) -> const std::vector<int>& { return sorted[id]; };
  if (!walk(*c, deepest_first(c->outputs), by_depth, &c->schedule, &c->var_of, error)) return false;
  int vars = 0;
  for (int v : c->var_of)
    vars = std::max(vars, v + 1);
  for (int id : c->inputs)
    if (c->var_of[id] < 0) c->var_of[id] = vars++;
  c->fanouts.assign(c->signals.size(), 0);
  for (int g : c->schedule)
    for (int f : c->signals[g].fanins)
      ++c->fanouts[f];
  return true;
}

}  // namespace

bool parse_circuit(const std::string& text, Circuit* out, std::string* error) {
  Circuit c;
  Builder b(&c);
  int table = -1;  // gate whose rows follow
  bool first_row = false;
  for (const Words& line : logical_lines(text)) {
    const std::string& key = line[0];
    if (key[0] != '.') {
      if (table < 0) return fail(error, "table row outside a .names table");
      if (!add_row(&c.signals[table], line, first_row, error)) return false;
      first_row = false;
      continue;
    }
    table = -1;
    if (key == ".model") {
      if (line.size() > 1) c.name = line[1];
    } else if (key == ".inputs") {
      for (std::size_t i = 1; i < line.size(); ++i) {
        int id = b.signal(line[i]);
        if (!b.define(id)) return fail(error, "signal " + line[i] + " is defined twice");
        c.signals[id].is_input = true;
        c.inputs.push_back(id);
      }
    } else if (key == ".outputs") {
      for (std::size_t i = 1; i < line.size(); ++i)
        c.outputs.push_back(b.signal(line[i]));
    } else if (key == ".names") {
      if (line.size() < 2) return fail(error, ".names without a signal");
      int id = b.signal(line.back());
      if (!b.define(id)) return fail(error, "signal " + line.back() + " is defined twice");
      std::vector<int> fanins;
      for (std::size_t i = 1; i + 1 < line.size(); ++i)
        fanins.push_back(b.signal(line[i]));
      c.signals[id].fanins = std::move(fanins);
      table = id;
      first_row = true;
    } else if (key == ".end") {
      break;
    } else {
      return fail(error, key + " is not supported: combinational .names circuits only");
    }
  }
  if (!b.all_defined(error) || !order(&c, error)) return false;
  *out = std::move(c);
  return true;
}

bool read_circuit(const std::string& path, Circuit* out, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return fail(error, "cannot open " + path);
  std::ostringstream text;
  text << in.rdbuf();
  return parse_circuit(text.str(), out, error);
}

}  // namespace benchvs
