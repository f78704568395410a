#include "blif/general_flatten.h"

#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "blif/yosys_cells.h"

namespace tessaro {

namespace {

// One cell of a model, resolved: an instance of another model of the file,
// or a Yosys flip-flop with its latches and tables.
struct resolved_cell {
  int child = -1;
  std::string label;
  expanded_cell flip_flop;
};

struct model_info {
  enum { fresh, open, done } state = fresh;
  std::vector<resolved_cell> cells;
  std::size_t size = 0;                        // latches and tables once flattened, capped
  std::unordered_set<std::string_view> ports;  // made at its first instance
  bool ports_known = false;
};

class flattener {
 public:
  flattener(def_file& file, flat_model& out, flatten_counts& counts, const flatten_limits& limits)
      : file_(file), out_(out), counts_(counts), limits_(limits), info_(file.models.size()) {
    for (std::size_t i = 0; i < file.models.size(); ++i)
      index_.emplace(file.models[i].name, static_cast<int>(i));
  }

  outcome run();

 private:
  diagnostic refuse(long line, std::string signal, std::string text) const {
    return refusal(file_.file, line, std::move(signal), std::move(text));
  }
  outcome resolve_cells(int m);
  outcome check_instance(const def_model& parent, const def_cell& cell, int child);
  outcome visit();
  outcome emit();

  // One instance being emitted.
  struct frame {
    int model;
    std::size_t next = 0;
    int parent = -1;                     // its place in the stack; -1 for the top
    const std::string* label = nullptr;  // its label in the parent
    // "label/" of every enclosing instance, made when first needed: a deep
    // chain of instances keeps no long prefix it does not use.
    std::string prefix;
    bool prefix_known = false;
    std::unordered_map<std::string_view, std::string> bound;
    unsigned serial = 0;
  };
  const std::string& prefix_of(std::size_t f);
  std::string name_in(std::size_t f, std::string_view name);
  void emit_statement(std::size_t f, const def_statement& s);
  std::vector<frame> stack_;
  std::size_t name_bytes_ = 0;

  def_file& file_;
  flat_model& out_;
  flatten_counts& counts_;
  const flatten_limits& limits_;
  std::vector<model_info> info_;
  std::unordered_map<std::string_view, int> index_;
  // With instances: every name given in the flat model, with the instance
  // and the name there it stands for, so that two never meet.
  bool hierarchical_ = false;
  std::unordered_map<std::string, std::pair<unsigned, std::string_view>> origin_;
  std::string clash_;
  long clash_line_ = 0;
  long line_ = 0;  // line of the statement being emitted
  unsigned serials_ = 0;
};

outcome flattener::run() {
  outcome o = visit();
  if (!o) return o;
  o = emit();
  if (!o) return o;
  if (!clash_.empty())
    return refuse(clash_line_, clash_,
                  "the hierarchical name " + clash_ +
                      " stands for two signals of the flattened "
                      "model " +
                      out_.name);
  return outcome();
}

outcome flattener::check_instance(const def_model& parent, const def_cell& cell, int child) {
  const def_model& c = file_.models[child];
  if (c.blackbox)
    return refuse(cell.line, "",
                  "model " + c.name + " is a black box (.blackbox): its logic is unknown");
  model_info& info = info_[child];
  if (!info.ports_known) {
    info.ports.insert(c.inputs.begin(), c.inputs.end());
    info.ports.insert(c.outputs.begin(), c.outputs.end());
    info.ports_known = true;
  }
  const std::unordered_set<std::string_view>& ports = info.ports;
  std::unordered_set<std::string_view> bound;
  for (const def_binding& b : cell.bindings) {
    if (!ports.count(b.key))
      return refuse(cell.line, std::string(b.key),
                    ".subckt " + c.name + " in model " + parent.name + ": model " + c.name +
                        " has no port " + std::string(b.key));
    if (!bound.insert(b.key).second)
      return refuse(cell.line, std::string(b.key),
                    ".subckt " + c.name + " in model " + parent.name + ": port " +
                        std::string(b.key) + " is bound twice");
  }
  return outcome();
}

outcome flattener::resolve_cells(int m) {
  const def_model& model = file_.models[m];
  model_info& info = info_[m];
  info.cells.resize(model.cells.size());
  // Names of the model, and those given to Yosys flip-flops so far.
  std::unordered_set<std::string_view> used;
  std::unordered_set<std::string> taken;
  bool names_known = false;
  auto fresh = [&](const std::string& stem) {
    if (!names_known) {
      names_known = true;
      used.insert(model.inputs.begin(), model.inputs.end());
      used.insert(model.outputs.begin(), model.outputs.end());
      for (const def_latch& l : model.latches)
        used.insert({l.input, l.output});
      for (const def_table& t : model.tables)
        used.insert(t.names.begin(), t.names.end());
      for (const def_cell& c : model.cells)
        for (const def_binding& b : c.bindings)
          used.insert(b.value);
    }
    std::string name = stem;
    for (long k = 2; used.count(name) || taken.count(name); ++k)
      name = stem + "$" + std::to_string(k);
    taken.insert(name);
    return name;
  };
  std::unordered_map<int, long> instances;
  for (std::size_t i = 0; i < model.cells.size(); ++i) {
    const def_cell& cell = model.cells[i];
    resolved_cell& r = info.cells[i];
    auto child = index_.find(cell.type);
    if (child != index_.end() && !cell.gate) {
      outcome o = check_instance(model, cell, child->second);
      if (!o) return o;
      r.child = child->second;
      const long k = ++instances[r.child];
      r.label = cell.label.empty() ? std::string(cell.type) + "@" + std::to_string(k)
                                   : std::string(cell.label);
      continue;
    }
    yosys_flip_flop ff;
    std::string why;
    const yosys_cell kind = yosys_cell_kind(cell.type, cell.params, ff, why);
    const std::string type(cell.type);
    if (kind == yosys_cell::unknown) {
      if (cell.gate)
        return refuse(cell.line, "",
                      ".gate of cell " + type + " needs a cell library, which this reader has not");
      return refuse(cell.line, "",
                    ".subckt of model " + type + ", which the file does not define and which " +
                        "is not a Yosys flip-flop cell");
    }
    if (kind == yosys_cell::unsupported)
      return refuse(cell.line, "", "cannot read the cell " + type + ": " + why);
    outcome o = expand_flip_flop(file_.file, cell, ff, fresh, r.flip_flop);
    if (!o) return o;
  }
  return outcome();
}

// Depth-first over the instances from the top: refuses cycles, resolves
// the cells of every model met and adds up the flattened sizes.
outcome flattener::visit() {
  const std::size_t cap = limits_.max_statements + 1;
  auto add = [cap](std::size_t a, std::size_t b) { return a + b > cap ? cap : a + b; };
  struct step {
    int model;
    std::size_t cell;
  };
  std::vector<step> stack{{0, 0}};
  info_[0].state = model_info::open;
  outcome o = resolve_cells(0);
  if (!o) return o;
  while (!stack.empty()) {
    step& top = stack.back();
    model_info& info = info_[top.model];
    if (top.cell < info.cells.size()) {
      const resolved_cell& r = info.cells[top.cell++];
      if (r.child < 0) continue;
      model_info& child = info_[r.child];
      if (child.state == model_info::done) continue;
      const def_model& parent = file_.models[top.model];
      const long line = parent.cells[top.cell - 1].line;
      if (child.state == model_info::open) {
        std::string path = file_.models[r.child].name;
        bool on_path = false;
        for (const step& s : stack) {
          if (s.model == r.child) on_path = true;
          if (on_path && s.model != r.child) path += " -> " + file_.models[s.model].name;
        }
        path += " -> " + file_.models[r.child].name;
        return refuse(line, "",
                      "model " + file_.models[r.child].name + " instantiates itself: " + path);
      }
      child.state = model_info::open;
      o = resolve_cells(r.child);
      if (!o) return o;
      stack.push_back({r.child, 0});
      continue;
    }
    const def_model& m = file_.models[top.model];
    std::size_t size = add(m.latches.size(), m.tables.size());
    for (const resolved_cell& r : info.cells) {
      if (r.child >= 0)
        size = add(size, info_[r.child].size);
      else
        size = add(size, r.flip_flop.part.order.size());
    }
    info.size = size;
    info.state = model_info::done;
    stack.pop_back();
  }
  if (info_[0].size >= cap)
    return refuse(file_.models[0].line, "",
                  "flattening model " + file_.models[0].name + " would make more than " +
                      std::to_string(limits_.max_statements) + " latches and tables");
  return outcome();
}

const std::string& flattener::prefix_of(std::size_t f) {
  frame& fr = stack_[f];
  if (!fr.prefix_known) {
    std::vector<const std::string*> labels;
    for (int k = static_cast<int>(f); k >= 0; k = stack_[k].parent)
      if (stack_[k].label) labels.push_back(stack_[k].label);
    for (auto it = labels.rbegin(); it != labels.rend(); ++it) {
      fr.prefix += **it;
      fr.prefix += '/';
    }
    fr.prefix_known = true;
  }
  return fr.prefix;
}

std::string flattener::name_in(std::size_t f, std::string_view name) {
  const frame& fr = stack_[f];
  if (!fr.bound.empty()) {
    auto it = fr.bound.find(name);
    if (it != fr.bound.end()) {
      name_bytes_ += it->second.size();
      return it->second;
    }
  }
  std::string full = fr.parent < 0 ? std::string() : prefix_of(f);
  full += name;
  name_bytes_ += full.size();
  if (hierarchical_ && clash_.empty()) {
    auto entry = origin_.emplace(full, std::make_pair(stack_[f].serial, name));
    if (!entry.second &&
        (entry.first->second.first != stack_[f].serial || entry.first->second.second != name)) {
      clash_ = full;
      clash_line_ = line_;
    }
  }
  return full;
}

void flattener::emit_statement(std::size_t f, const def_statement& s) {
  const def_model& m = file_.models[stack_[f].model];
  line_ = s.kind == def_kind::latch   ? m.latches[s.index].line
          : s.kind == def_kind::table ? m.tables[s.index].line
                                      : m.cells[s.index].line;
  switch (s.kind) {
    case def_kind::latch: {
      const def_latch& l = m.latches[s.index];
      flat_latch fl;
      fl.input = name_in(f, l.input);
      fl.output = name_in(f, l.output);
      fl.init = l.init;
      fl.line = l.line;
      if (l.unknown) {
        if (counts_.first_unknown_line == 0) counts_.first_unknown_line = l.line;
        ++counts_.unknown_latch_inits;
      }
      out_.add_latch(std::move(fl));
      break;
    }
    case def_kind::table: {
      def_table& t = file_.models[stack_[f].model].tables[s.index];
      flat_table ft;
      ft.names.reserve(t.names.size());
      for (std::string_view n : t.names)
        ft.names.push_back(name_in(f, n));
      // The top model is emitted once: its rows move.
      if (f == 0)
        ft.rows = std::move(t.rows);
      else
        ft.rows = t.rows;
      ft.line = t.line;
      out_.add_table(std::move(ft));
      break;
    }
    case def_kind::cell: {
      const resolved_cell& r = info_[stack_[f].model].cells[s.index];
      if (r.child < 0) {
        const expanded_cell& e = r.flip_flop;
        // Names are taken from the expansion itself, which outlives the
        // flattening (name_in may keep a view of them).
        for (const flat_item& item : e.part.order) {
          if (item.latch) {
            const flat_latch& from = e.part.latches[item.index];
            flat_latch l = from;
            l.input = name_in(f, from.input);
            l.output = name_in(f, from.output);
            out_.add_latch(std::move(l));
          } else {
            const flat_table& from = e.part.tables[item.index];
            flat_table t;
            t.line = from.line;
            t.rows = from.rows;
            for (const std::string& n : from.names)
              t.names.push_back(name_in(f, n));
            out_.add_table(std::move(t));
          }
        }
        const long line = m.cells[s.index].line;
        if (e.unknown_inits > 0 && counts_.first_unknown_line == 0)
          counts_.first_unknown_line = line;
        counts_.unknown_cell_inits += e.unknown_inits;
        if (e.asynchronous > 0 && counts_.first_asynchronous_line == 0)
          counts_.first_asynchronous_line = line;
        counts_.asynchronous += e.asynchronous;
        break;
      }
      frame child;
      child.model = r.child;
      child.parent = static_cast<int>(f);
      child.label = &r.label;
      child.serial = ++serials_;
      for (const def_binding& b : m.cells[s.index].bindings)
        child.bound.emplace(b.key, name_in(f, b.value));
      stack_.push_back(std::move(child));
      break;
    }
  }
}

outcome flattener::emit() {
  const def_model& top = file_.models[0];
  out_.file = file_.file;
  out_.name = top.name;
  out_.line = top.line;
  for (const resolved_cell& r : info_[0].cells)
    if (r.child >= 0) hierarchical_ = true;
  stack_.assign(1, frame());
  stack_[0].model = 0;
  for (std::string_view n : top.inputs)
    out_.inputs.push_back(name_in(0, n));
  for (std::string_view n : top.outputs)
    out_.outputs.push_back(name_in(0, n));
  out_.order.reserve(info_[0].size);
  while (!stack_.empty()) {
    const std::size_t f = stack_.size() - 1;
    const def_model& m = file_.models[stack_[f].model];
    if (stack_[f].next == m.statements.size()) {
      stack_.pop_back();
      continue;
    }
    emit_statement(f, m.statements[stack_[f].next++]);
    if (name_bytes_ > limits_.max_name_bytes)
      return refuse(top.line, "",
                    "flattening model " + top.name + " would make names of more than " +
                        std::to_string(limits_.max_name_bytes) + " bytes");
  }
  return outcome();
}

}  // namespace

outcome flatten_top(def_file& file, flat_model& out, flatten_counts& counts,
                    const flatten_limits& limits) {
  return flattener(file, out, counts, limits).run();
}

}  // namespace tessaro
