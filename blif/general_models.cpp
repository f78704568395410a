#include "blif/general_models.h"

#include <algorithm>
#include <unordered_map>
#include <utility>

#include "blif/general_lines.h"

namespace tessaro {

namespace {

// Directives that carry nothing the automaton needs.
constexpr std::string_view kIgnored[] = {
    ".area",
    ".delay",
    ".wire_load_slope",
    ".wire",
    ".input_arrival",
    ".default_input_arrival",
    ".output_required",
    ".default_output_required",
    ".input_drive",
    ".default_input_drive",
    ".output_load",
    ".default_output_load",
    ".max_input_load",
    ".default_max_input_load",
    ".clock",
    ".clock_event",
    ".cycle",
    ".latch_order",
    ".code",
};

bool is_ignored(std::string_view directive) {
  return std::find(std::begin(kIgnored), std::end(kIgnored), directive) != std::end(kIgnored);
}

bool is_latch_type(std::string_view w) {
  return w == "fe" || w == "re" || w == "ah" || w == "al" || w == "as";
}

std::string quoted(std::string_view s) {
  std::string out = "'";
  out += s;
  out += '\'';
  return out;
}

class definitions_reader {
 public:
  definitions_reader(std::string_view text, const std::string& file, def_file& out,
                     std::vector<diagnostic>& warnings)
      : lines_(text), file_(file), out_(out), warnings_(warnings) {}

  outcome run();

 private:
  enum class skip { none, exdc, kiss };

  diagnostic refuse(std::string signal, std::string text) const {
    return refusal(file_, line_.number, std::move(signal), std::move(text));
  }
  def_model& model() { return out_.models.back(); }
  bool last_is_cell() {
    return model_open_ && !model().statements.empty() &&
           model().statements.back().kind == def_kind::cell;
  }

  outcome statement();
  outcome start_model(std::string name);
  outcome row();
  outcome names();
  outcome latch();
  outcome cell(bool gate);
  outcome conn();
  void unknown_directive(std::string_view directive);
  void finish_warnings();

  blif_line_reader lines_;
  blif_line line_;
  const std::string& file_;
  def_file& out_;
  std::vector<diagnostic>& warnings_;
  bool model_open_ = false;
  bool after_end_ = false;  // a model was closed by `.end`
  bool in_table_ = false;
  std::vector<std::string_view>* list_ = nullptr;  // the list a line of names continues
  skip skip_ = skip::none;
  long skip_line_ = 0;
  std::unordered_map<std::string, long> model_lines_;
  // Unknown directives in order of first use: name, first line, count.
  struct unknown {
    std::string name;
    long line;
    long count;
  };
  std::vector<unknown> unknown_;
};

outcome definitions_reader::run() {
  out_.file = file_;
  while (lines_.next(line_)) {
    if (skip_ == skip::kiss) {
      if (line_.words[0] == ".end_kiss") skip_ = skip::none;
      continue;
    }
    if (skip_ == skip::exdc) {
      if (line_.words[0] == ".end") {
        skip_ = skip::none;
        model_open_ = false;
        after_end_ = true;
        continue;
      }
      if (line_.words[0] != ".model") continue;
      skip_ = skip::none;
    }
    outcome o = statement();
    if (!o) return o;
  }
  if (skip_ == skip::kiss) {
    line_.number = skip_line_;
    return refuse("", ".start_kiss without its .end_kiss");
  }
  if (out_.models.empty()) return refusal(file_, 0, "", "the file holds no model");
  finish_warnings();
  return outcome();
}

outcome definitions_reader::statement() {
  const std::string_view head = line_.words[0];
  if (head[0] != '.') {
    if (list_ != nullptr) {
      // The subset's way of running a name list over several lines.
      list_->insert(list_->end(), line_.words.begin(), line_.words.end());
      return outcome();
    }
    return row();
  }
  in_table_ = false;
  list_ = nullptr;
  if (head == ".model") {
    if (line_.words.size() < 2) return refuse("", ".model without a name");
    return start_model(line_text(line_, 1));
  }
  if (!model_open_) {
    if (after_end_)
      return refuse("", head == ".end" ? "a second .end"
                                       : std::string(head) +
                                             " after .end: a model "
                                             "starts with .model");
    // Statements before any `.model`: one model named after the file.
    outcome o = start_model(file_base_name(file_));
    if (!o) return o;
    model().line = line_.number;
  }
  if (head == ".names") return names();
  if (head == ".latch") return latch();
  if (head == ".inputs" || head == ".outputs") {
    auto& list = head == ".inputs" ? model().inputs : model().outputs;
    list.insert(list.end(), line_.words.begin() + 1, line_.words.end());
    list_ = &list;
    return outcome();
  }
  if (head == ".subckt") return cell(false);
  if (head == ".gate") return cell(true);
  if (head == ".conn") return conn();
  if (head == ".end") {
    model_open_ = false;
    after_end_ = true;
    return outcome();
  }
  if (head == ".cname" || head == ".attr" || head == ".param") {
    // They describe the cell just before them; elsewhere they are ignored.
    if (!last_is_cell() || line_.words.size() < 2) return outcome();
    def_cell& c = model().cells.back();
    if (head == ".cname") {
      c.label = line_.words[1];
    } else {
      // A value written with blanks (a quoted text) keeps only its first word.
      c.params.push_back(
          {line_.words[1], line_.words.size() > 2 ? line_.words[2] : std::string_view()});
    }
    return outcome();
  }
  if (head == ".exdc") {
    warnings_.push_back(warning(
        file_, line_.number, "",
        "the external don't-care network (.exdc) of model " + model().name + " is ignored"));
    skip_ = skip::exdc;
    return outcome();
  }
  if (head == ".start_kiss") {
    warnings_.push_back(warning(
        file_, line_.number, "",
        "the state transition table (.start_kiss) of model " + model().name + " is ignored"));
    skip_ = skip::kiss;
    skip_line_ = line_.number;
    return outcome();
  }
  if (head == ".blackbox") {
    model().blackbox = true;
    return outcome();
  }
  if (head == ".mlatch")
    return refuse("", ".mlatch needs a cell library, which this reader has not");
  if (head == ".search")
    return refuse("", ".search of other files is not supported: give one file with every model");
  if (head == ".mv" || head == ".table" || head == ".reset")
    return refuse("", std::string(head) + " belongs to BLIF-MV, which this reader does not read");
  if (!is_ignored(head)) unknown_directive(head);
  return outcome();
}

outcome definitions_reader::start_model(std::string name) {
  auto known = model_lines_.emplace(name, line_.number);
  if (!known.second)
    return refuse("", "model " + name + " is defined twice, first at line " +
                          std::to_string(known.first->second));
  out_.models.emplace_back();
  model().name = std::move(name);
  model().line = line_.number;
  model_open_ = true;
  after_end_ = false;
  return outcome();
}

outcome definitions_reader::names() {
  if (line_.words.size() < 2) return refuse("", ".names without a signal");
  def_model& m = model();
  m.statements.push_back({def_kind::table, m.tables.size()});
  m.tables.emplace_back();
  def_table& t = m.tables.back();
  t.names.assign(line_.words.begin() + 1, line_.words.end());
  t.line = line_.number;
  in_table_ = true;
  return outcome();
}

outcome definitions_reader::row() {
  if (!in_table_)
    return refuse("", "the line '" + line_text(line_) +
                          "' is neither a directive nor a row of a .names table");
  def_table& t = model().tables.back();
  const std::size_t inputs = t.names.size() - 1;
  std::size_t length = 0;
  for (std::string_view w : line_.words)
    length += w.size();
  // Messages are built only on the way out: rows are the bulk of a file.
  auto refuse_row = [&](const std::string& what) {
    const std::string out(t.names.back());
    return refuse(out, "row " + quoted(line_text(line_)) + " of the table of " + out + what);
  };
  if (length != inputs + 1)
    return refuse_row(" has " + std::to_string(length) + (length == 1 ? " value" : " values") +
                      "; it needs " + std::to_string(inputs + 1) + ": " + std::to_string(inputs) +
                      (inputs == 1 ? " input" : " inputs") + " and the output");
  std::string r;
  r.reserve(length);
  for (std::string_view w : line_.words)
    r += w;
  for (std::size_t i = 0; i < inputs; ++i) {
    const char c = r[i];
    if (c != '0' && c != '1' && c != '-')
      return refuse_row(" holds '" + std::string(1, c) + "': input values are 0, 1 or -");
  }
  const char value = r[inputs];
  if (value != '0' && value != '1')
    return refuse_row(" has the output value '" + std::string(1, value) + "': it must be 0 or 1");
  long& first = value == '1' ? t.on_line : t.off_line;
  if (first == 0) first = line_.number;
  if (t.on_line != 0 && t.off_line != 0) {
    const std::string out(t.names.back());
    return refuse(out, "the table of " + out + " mixes rows of output 1 and rows of output 0");
  }
  t.rows.push_back(std::move(r));
  return outcome();
}

outcome definitions_reader::latch() {
  const auto& w = line_.words;
  const std::size_t n = w.size() - 1;
  if (n < 2) return refuse("", ".latch needs an input and an output");
  const std::string out(w[2]);
  if (n > 5) return refuse(out, "the latch of " + out + " has more than 5 fields");
  def_latch l;
  l.input = w[1];
  l.output = w[2];
  l.line = line_.number;
  if (n >= 4 && !is_latch_type(w[3]))
    return refuse(
        out, "latch type " + quoted(w[3]) + " of " + out + " is not one of fe, re, ah, al, as");
  std::string_view init = n == 3 ? w[3] : n == 5 ? w[5] : std::string_view("3");
  if (init == "0" || init == "1") {
    l.init = init[0] - '0';
  } else if (init == "2" || init == "3") {
    l.unknown = true;
  } else {
    return refuse(
        out, "latch initial value " + quoted(init) + " of " + out + ": it must be 0, 1, 2 or 3");
  }
  def_model& m = model();
  m.statements.push_back({def_kind::latch, m.latches.size()});
  m.latches.push_back(l);
  return outcome();
}

outcome definitions_reader::cell(bool gate) {
  const auto& w = line_.words;
  const char* what = gate ? ".gate" : ".subckt";
  if (w.size() < 2) return refuse("", std::string(what) + " without a model");
  def_cell c;
  c.type = w[1];
  c.gate = gate;
  c.line = line_.number;
  for (std::size_t i = 2; i < w.size(); ++i) {
    const std::size_t eq = w[i].find('=');
    if (eq == std::string_view::npos || eq == 0 || eq + 1 == w[i].size())
      return refuse("", std::string(what) + " " + std::string(c.type) + ": " + quoted(w[i]) +
                            " is not a binding formal=actual");
    c.bindings.push_back({w[i].substr(0, eq), w[i].substr(eq + 1)});
  }
  def_model& m = model();
  m.statements.push_back({def_kind::cell, m.cells.size()});
  m.cells.push_back(std::move(c));
  return outcome();
}

outcome definitions_reader::conn() {
  if (line_.words.size() != 3) return refuse("", ".conn needs two signals: from and to");
  def_model& m = model();
  m.statements.push_back({def_kind::table, m.tables.size()});
  m.tables.emplace_back();
  def_table& t = m.tables.back();
  t.names = {line_.words[1], line_.words[2]};
  t.rows = {"11"};
  t.line = t.on_line = line_.number;
  return outcome();
}

void definitions_reader::unknown_directive(std::string_view directive) {
  for (unknown& u : unknown_) {
    if (u.name == directive) {
      ++u.count;
      return;
    }
  }
  unknown_.push_back({std::string(directive), line_.number, 1});
}

void definitions_reader::finish_warnings() {
  for (const unknown& u : unknown_) {
    std::string text = "unknown directive " + u.name + " ignored";
    if (u.count > 1) text += " (" + std::to_string(u.count) + " times)";
    warnings_.push_back(warning(file_, u.line, "", text));
  }
}

}  // namespace

outcome read_definitions(std::string_view text, const std::string& file, def_file& out,
                         std::vector<diagnostic>& warnings) {
  return definitions_reader(text, file, out, warnings).run();
}

std::string file_base_name(const std::string& file) {
  const std::size_t slash = file.find_last_of('/');
  std::string base = slash == std::string::npos ? file : file.substr(slash + 1);
  if (base.size() > 5 && base.compare(base.size() - 5, 5, ".blif") == 0)
    base.resize(base.size() - 5);
  return base;
}

diagnostic warning(const std::string& file, long line, std::string signal, std::string text) {
  diagnostic d = refusal(file, line, std::move(signal), "warning: " + text);
  d.status = 0;
  return d;
}

}  // namespace tessaro
