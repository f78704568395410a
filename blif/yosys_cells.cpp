#include "blif/yosys_cells.h"

#include <unordered_map>
#include <utility>

namespace tessaro {

namespace {

bool polarity(char c, bool& high) {
  if (c != 'P' && c != 'N') return false;
  high = c == 'P';
  return true;
}

bool bit_value(char c) {
  return c == '0' || c == '1';
}

// The letters between the cell's family prefix and its closing underscore,
// "PN0P" in "$_SDFFE_PN0P_"; false when `type` is not of that family.
bool suffix_of(std::string_view type, std::string_view family, std::string_view& letters) {
  if (type.size() < family.size() + 1 || type.compare(0, family.size(), family) != 0 ||
      type.back() != '_')
    return false;
  letters = type.substr(family.size(), type.size() - family.size() - 1);
  return true;
}

// Fine-grained cells: "$_" names with their polarity letters.
yosys_cell fine_cell(std::string_view type, yosys_flip_flop& ff) {
  std::string_view s;
  bool ok = false;
  bool clock;
  auto force = [](const char* port, char pol, char value, yosys_force& f) {
    f.port = port;
    f.value = std::string(1, value);
    return polarity(pol, f.active_high) && bit_value(value);
  };
  if (type == "$_FF_") {
    ok = true;
  } else if (suffix_of(type, "$_DFF_", s)) {
    if (s.size() == 1) {
      ok = polarity(s[0], clock);
    } else if (s.size() == 3) {
      ff.async.resize(1);
      ok = polarity(s[0], clock) && force("R", s[1], s[2], ff.async[0]);
    }
  } else if (suffix_of(type, "$_DFFE_", s)) {
    ff.enable_port = "E";
    if (s.size() == 2) {
      ok = polarity(s[0], clock) && polarity(s[1], ff.enable_high);
    } else if (s.size() == 4) {
      ff.async.resize(1);
      ok = polarity(s[0], clock) && force("R", s[1], s[2], ff.async[0]) &&
           polarity(s[3], ff.enable_high);
    }
  } else if (suffix_of(type, "$_SDFF_", s)) {
    ff.sync.resize(1);
    ok = s.size() == 3 && polarity(s[0], clock) && force("R", s[1], s[2], ff.sync[0]);
  } else if (suffix_of(type, "$_SDFFE_", s) || suffix_of(type, "$_SDFFCE_", s)) {
    ff.enable_port = "E";
    ff.sync_over_enable = type[6] != 'C';
    ff.sync.resize(1);
    ok = s.size() == 4 && polarity(s[0], clock) && force("R", s[1], s[2], ff.sync[0]) &&
         polarity(s[3], ff.enable_high);
  } else if (suffix_of(type, "$_DFFSR_", s) || suffix_of(type, "$_DFFSRE_", s)) {
    // The reset acts before the set.
    const bool enable = type[7] == 'E';
    ff.async.resize(2);
    ok = s.size() == (enable ? 4u : 3u) && polarity(s[0], clock) &&
         force("R", s[2], '0', ff.async[0]) && force("S", s[1], '1', ff.async[1]);
    if (enable) {
      ff.enable_port = "E";
      ok = ok && polarity(s[3], ff.enable_high);
    }
  } else {
    return yosys_cell::unknown;
  }
  return ok ? yosys_cell::flip_flop : yosys_cell::unknown;
}

const def_binding* find_param(const std::vector<def_binding>& params, std::string_view a,
                              std::string_view b = std::string_view()) {
  for (const def_binding& p : params)
    if (p.key == a || (!b.empty() && p.key == b)) return &p;
  return nullptr;
}

std::string_view unquoted(std::string_view v) {
  if (v.size() >= 2 && v.front() == '"' && v.back() == '"') return v.substr(1, v.size() - 2);
  return v;
}

bool all_bits(std::string_view v) {
  if (v.empty()) return false;
  for (char c : v)
    if (!bit_value(c) && c != 'x' && c != 'z') return false;
  return true;
}

// A polarity parameter: its last bit; 1 when absent.
bool polarity_param(const std::vector<def_binding>& params, std::string_view name, bool& high,
                    std::string& why) {
  const def_binding* p = find_param(params, name);
  if (p == nullptr) return true;
  std::string_view v = unquoted(p->value);
  if (!all_bits(v) || !bit_value(v.back())) {
    why = "its parameter " + std::string(name) + " is not a bit: '" + std::string(p->value) + "'";
    return false;
  }
  high = v.back() == '1';
  return true;
}

bool value_param(const std::vector<def_binding>& params, std::string_view name, std::string& value,
                 std::string& why) {
  value = "0";
  const def_binding* p = find_param(params, name);
  if (p == nullptr) return true;
  std::string_view v = unquoted(p->value);
  for (char c : v) {
    if (!bit_value(c)) {
      why = "its parameter " + std::string(name) + " is not made of bits 0 and 1: '" +
            std::string(p->value) + "'";
      return false;
    }
  }
  if (!v.empty()) value = std::string(v);
  return true;
}

// Coarse cells: "$dff" and its kin, with their parameters.
yosys_cell coarse_cell(std::string_view type, const std::vector<def_binding>& params,
                       yosys_flip_flop& ff, std::string& why) {
  bool enable = false, sync = false, async = false;
  if (type == "$ff" || type == "$dff") {
  } else if (type == "$dffe") {
    enable = true;
  } else if (type == "$sdff") {
    sync = true;
  } else if (type == "$sdffe" || type == "$sdffce") {
    sync = enable = true;
    ff.sync_over_enable = type == "$sdffe";
  } else if (type == "$adff") {
    async = true;
  } else if (type == "$adffe") {
    async = enable = true;
  } else {
    return yosys_cell::unknown;
  }
  ff.coarse = true;
  if (enable) {
    ff.enable_port = "EN";
    if (!polarity_param(params, "EN_POLARITY", ff.enable_high, why)) return yosys_cell::unsupported;
  }
  if (sync || async) {
    yosys_force f;
    f.port = sync ? "SRST" : "ARST";
    if (!polarity_param(params, sync ? "SRST_POLARITY" : "ARST_POLARITY", f.active_high, why) ||
        !value_param(params, sync ? "SRST_VALUE" : "ARST_VALUE", f.value, why))
      return yosys_cell::unsupported;
    (sync ? ff.sync : ff.async).push_back(std::move(f));
  }
  ff.width = 0;  // from WIDTH, or from the ports
  if (const def_binding* w = find_param(params, "WIDTH")) {
    std::string_view v = unquoted(w->value);
    long width = 0;
    for (char c : v) {
      if (!bit_value(c) || width > (1L << 24)) {
        why = "its parameter WIDTH is not a number of bits: '" + std::string(w->value) + "'";
        return yosys_cell::unsupported;
      }
      width = width * 2 + (c - '0');
    }
    ff.width = width;
  }
  return yosys_cell::flip_flop;
}

bool unreadable_family(std::string_view type) {
  for (std::string_view f : {"$_DLATCH", "$_SR_", "$_ALDFF", "$_DFFSR", "$dlatch", "$sr", "$aldff",
                             "$dffsr", "$adlatch", "$_SDFF", "$_DFF", "$_FF"})
    if (type.compare(0, f.size(), f) == 0) return true;
  return false;
}

// Bit `i` of a value written most significant bit first; '0' past its end.
char bit_at(const std::string& value, long i) {
  return i < static_cast<long>(value.size()) ? value[value.size() - 1 - i] : '0';
}

// One control input of the tables: the level at which it acts, and for a
// reset or set the value it forces.
struct control {
  std::string signal;
  bool active_high;
  char value;  // '0' or '1', or 0 for the enable
};

enum class next_value { zero, one, data, state };

next_value constant(char c) {
  return c == '1' ? next_value::one : next_value::zero;
}

// The value the latch loads (or, for `visible`, the value q shows) when the
// controls are at `levels` (bit k for control k).
next_value evaluate(const yosys_flip_flop& ff, const std::vector<control>& controls,
                    unsigned levels, bool visible) {
  std::size_t k = 0;
  bool enabled = true;
  if (!visible && !ff.enable_port.empty()) {
    enabled = ((levels >> k) & 1) == static_cast<unsigned>(controls[k].active_high);
    ++k;
  }
  char sync = 0;
  for (std::size_t s = 0; !visible && s < ff.sync.size(); ++s, ++k) {
    if (sync == 0 && ((levels >> k) & 1) == static_cast<unsigned>(controls[k].active_high))
      sync = controls[k].value;
  }
  for (; k < controls.size(); ++k) {
    if (((levels >> k) & 1) == static_cast<unsigned>(controls[k].active_high))
      return constant(controls[k].value);
  }
  if (visible) return next_value::state;
  if (ff.sync_over_enable && sync) return constant(sync);
  if (!enabled) return next_value::state;
  return sync ? constant(sync) : next_value::data;
}

// The table `output` = f(controls, [data,] state) as ON rows, one per
// combination of the controls that does not give 0.
flat_table control_table(const yosys_flip_flop& ff, const std::vector<control>& controls,
                         const std::string* data, const std::string& state,
                         const std::string& output, bool visible, long line) {
  flat_table t;
  t.line = line;
  for (const control& c : controls)
    t.names.push_back(c.signal);
  if (data) t.names.push_back(*data);
  t.names.push_back(state);
  t.names.push_back(output);
  const std::size_t k = controls.size();
  for (unsigned levels = 0; levels < (1u << k); ++levels) {
    const next_value v = evaluate(ff, controls, levels, visible);
    if (v == next_value::zero) continue;
    std::string row;
    for (std::size_t i = 0; i < k; ++i)
      row += ((levels >> i) & 1) ? '1' : '0';
    if (data) row += v == next_value::data ? '1' : '-';
    row += v == next_value::state ? '1' : '-';
    row += '1';
    t.rows.push_back(std::move(row));
  }
  return t;
}

}  // namespace

yosys_cell yosys_cell_kind(std::string_view type, const std::vector<def_binding>& params,
                           yosys_flip_flop& ff, std::string& why) {
  ff = yosys_flip_flop();
  ff.type = std::string(type);
  if (type.empty() || type[0] != '$') return yosys_cell::unknown;
  yosys_cell kind =
      type.compare(0, 2, "$_") == 0 ? fine_cell(type, ff) : coarse_cell(type, params, ff, why);
  if (kind != yosys_cell::unknown) return kind;
  why = unreadable_family(type) ? "it is a Yosys latch or flip-flop that cannot be read as a "
                                  "latch of the one clock"
                                : "it is a Yosys cell, not a flip-flop";
  return yosys_cell::unsupported;
}

outcome expand_flip_flop(const std::string& file, const def_cell& cell, const yosys_flip_flop& ff,
                         const std::function<std::string(const std::string&)>& fresh,
                         expanded_cell& out) {
  const std::string type(cell.type);
  std::unordered_map<std::string_view, std::string_view> ports;
  for (const def_binding& b : cell.bindings) {
    if (!ports.emplace(b.key, b.value).second)
      return refusal(file, cell.line, "",
                     "Yosys cell " + type + ": port " + std::string(b.key) + " is bound twice");
  }
  long width = ff.width;
  if (ff.coarse && width == 0) {
    // Without WIDTH: as many bits as the ports D[0], D[1], ... say.
    width = ports.count("D") ? 1 : 0;
    while (ports.count("D[" + std::to_string(width) + "]"))
      ++width;
  }
  // Data ports of a coarse cell wider than one bit are indexed; other ports
  // are written plain, or indexed by 0.
  auto port = [&](const std::string& name, long bit, std::string& signal) {
    std::string key = name;
    const bool indexed = ff.coarse && width > 1 && (name == "D" || name == "Q");
    if (indexed || !ports.count(key)) key += "[" + std::to_string(bit) + "]";
    auto it = ports.find(key);
    if (it == ports.end())
      return outcome(refusal(file, cell.line, "",
                             "Yosys cell " + type + " lacks its port " + (indexed ? key : name)));
    signal = std::string(it->second);
    return outcome();
  };
  if (width <= 0) return refusal(file, cell.line, "", "Yosys cell " + type + " has no bits");
  const def_binding* init = nullptr;
  for (const def_binding& p : cell.params)
    if (p.key == "init" || p.key == "INIT") init = &p;
  std::string init_bits;
  if (init) {
    std::string_view v = unquoted(init->value);
    if (!all_bits(v))
      return refusal(
          file, cell.line, "",
          "Yosys cell " + type + ": cannot read the init value '" + std::string(init->value) + "'");
    init_bits = std::string(v);
  }
  // Controls in table order: enable, synchronous, then asynchronous forces.
  std::vector<control> controls;
  if (!ff.enable_port.empty()) controls.push_back({ff.enable_port, ff.enable_high, 0});
  for (const auto* list : {&ff.sync, &ff.async})
    for (const yosys_force& f : *list)
      controls.push_back({f.port, f.active_high, 0});
  const std::size_t async_first = controls.size() - ff.async.size();
  for (long bit = 0; bit < width; ++bit) {
    std::string d, q;
    outcome o = port("D", bit, d);
    if (o) o = port("Q", bit, q);
    std::vector<control> at = controls;
    const std::size_t forces_first = ff.enable_port.empty() ? 0 : 1;
    for (std::size_t k = 0; o && k < at.size(); ++k) {
      const std::string name = at[k].signal;
      o = port(name, 0, at[k].signal);
      if (k < forces_first) continue;
      const std::size_t f = k - forces_first;
      const yosys_force& force = f < ff.sync.size() ? ff.sync[f] : ff.async[f - ff.sync.size()];
      at[k].value = bit_at(force.value, bit);
    }
    if (!o) return o;
    flat_latch l;
    l.line = cell.line;
    const char init_bit = init ? bit_at(init_bits, bit) : 'x';
    if (bit_value(init_bit))
      l.init = init_bit - '0';
    else
      ++out.unknown_inits;
    if (at.empty()) {
      l.input = d;
      l.output = q;
      out.part.add_latch(std::move(l));
      continue;
    }
    const bool async = async_first < at.size();
    const std::string state = async ? fresh(q + "$reg") : q;
    l.input = fresh(q + "$next");
    l.output = state;
    const std::string next = l.input;
    out.part.add_latch(std::move(l));
    out.part.add_table(control_table(ff, at, &d, state, next, false, cell.line));
    if (async) {
      ++out.asynchronous;
      std::vector<control> forces(at.begin() + async_first, at.end());
      out.part.add_table(control_table(ff, forces, nullptr, state, q, true, cell.line));
    }
  }
  return outcome();
}

}  // namespace tessaro
