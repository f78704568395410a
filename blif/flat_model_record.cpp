#include "blif/flat_model_record.h"

#include <utility>

namespace tessaro {

namespace {

std::vector<int> row_values(const std::string& row) {
  std::vector<int> values(row.size());
  for (std::size_t i = 0; i < row.size(); ++i)
    values[i] = row[i] == '-' ? 2 : row[i] - '0';
  return values;
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
    b.rows.reserve(t.rows.size());
    for (const std::string& r : t.rows)
      b.rows.push_back(row_values(r));
    b.names = std::move(t.names);
    out.tables.push_back(std::move(b));
  }
  model = flat_model();
  return out;
}

}  // namespace tessaro
