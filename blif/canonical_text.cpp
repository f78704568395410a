#include "blif/canonical_text.h"

#include "blif/name_encoding.h"

namespace tessaro {

namespace {

bool all_identifiers(const flat_model& m, std::string& bad) {
  auto check = [&bad](const std::string& n) {
    if (is_subset_identifier(n)) return true;
    bad = n;
    return false;
  };
  if (!check(m.name)) return false;
  for (const auto* list : {&m.inputs, &m.outputs})
    for (const std::string& n : *list)
      if (!check(n)) return false;
  for (const flat_latch& l : m.latches)
    if (!check(l.input) || !check(l.output)) return false;
  for (const flat_table& t : m.tables)
    for (const std::string& n : t.names)
      if (!check(n)) return false;
  return true;
}

void name_line(std::string& out, const char* keyword, const std::vector<std::string>& names) {
  out += keyword;
  for (const std::string& n : names) {
    out += ' ';
    out += n;
  }
  out += '\n';
}

void write_table(std::string& out, const flat_table& t) {
  name_line(out, ".names", t.names);
  const std::size_t inputs = t.names.size() - 1;
  if (t.rows.empty()) {
    out.append(inputs, '-');
    out += inputs ? " 0\n" : "0\n";
    return;
  }
  for (const std::string& r : t.rows) {
    out.append(r, 0, inputs);
    if (inputs) out += ' ';
    out += r[inputs];
    out += '\n';
  }
}

}  // namespace

outcome write_canonical_text(const flat_model& model, std::string& out) {
  out.clear();
  std::string bad;
  if (!all_identifiers(model, bad))
    return refusal(model.file, 0, bad,
                   "the name " + bad + " is no identifier of the subset: encode the model first");
  std::size_t size = 64 + model.name.size();
  for (const auto* list : {&model.inputs, &model.outputs})
    for (const std::string& n : *list)
      size += n.size() + 1;
  for (const flat_latch& l : model.latches)
    size += l.input.size() + l.output.size() + 12;
  for (const flat_table& t : model.tables) {
    size += 8 + t.rows.size() * (t.names.size() + 2) + t.names.size() + 2;
    for (const std::string& n : t.names)
      size += n.size();
  }
  out.reserve(size);
  out += ".model ";
  out += model.name;
  out += '\n';
  if (!model.inputs.empty()) name_line(out, ".inputs", model.inputs);
  if (!model.outputs.empty()) name_line(out, ".outputs", model.outputs);
  for (const flat_item& item : model.order) {
    if (item.latch) {
      const flat_latch& l = model.latches[item.index];
      out += ".latch ";
      out += l.input;
      out += ' ';
      out += l.output;
      out += l.init ? " 1\n" : " 0\n";
    } else {
      write_table(out, model.tables[item.index]);
    }
  }
  out += ".end\n";
  return outcome();
}

}  // namespace tessaro
