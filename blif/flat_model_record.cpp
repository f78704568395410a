#include "blif/flat_model_record.h"

#include <utility>

namespace tessaro {

namespace {

void add_row(const std::string& text, table_rows& rows) {
  rows.start_row();
  for (char c : text)
    rows.push(c == '-' ? 2 : c - '0');
}

}  // namespace

blif_model to_blif_model(const flat_model& model) {
  flat_model copy = model;
  return to_blif_model(std::move(copy));
}

blif_model to_blif_model(flat_model&& model) {
  blif_model out;
  out.name = std::move(model.name);
  out.file = std::move(model.file);
  out.inputs = std::move(model.inputs);
  out.outputs = std::move(model.outputs);
  out.latches.reserve(model.latches.size());
  for (flat_latch& l : model.latches)
    out.latches.push_back({std::move(l.input), std::move(l.output), l.init, l.line});
  out.tables.reserve(model.tables.size());
  for (flat_table& t : model.tables) {
    blif_table b;
    b.line = t.line;
    b.rows.reserve(t.rows.size(), t.rows.size() * t.names.size());
    for (const std::string& r : t.rows)
      add_row(r, b.rows);
    b.names = std::move(t.names);
    out.tables.push_back(std::move(b));
  }
  model = flat_model();
  return out;
}

}  // namespace tessaro
