#include "blif/flat_model_check.h"

#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "blif/general_models.h"

namespace tessaro {

namespace {

enum class driver_kind { input, latch, table };

struct driver {
  driver_kind kind;
  long line;
};

std::string describe(const driver& d) {
  switch (d.kind) {
    case driver_kind::input:
      return "an input";
    case driver_kind::latch:
      return "the output of the latch at line " + std::to_string(d.line);
    case driver_kind::table:
      return "the output of the table at line " + std::to_string(d.line);
  }
  return std::string();
}

constexpr std::string_view kConstants[] = {"$false", "$true", "$undef"};
constexpr char kConstantValues[] = {'0', '1', '0'};

}  // namespace

outcome check_flat_model(flat_model& model, std::vector<diagnostic>& warnings) {
  // Views of the model's own names; the lists do not change until the end.
  std::unordered_map<std::string_view, driver> drivers;
  drivers.reserve(model.inputs.size() + model.latches.size() + model.tables.size());
  for (const std::string& n : model.inputs)
    drivers.emplace(n, driver{driver_kind::input, model.line});
  auto add = [&](const std::string& name, driver d) -> outcome {
    auto it = drivers.emplace(name, d);
    if (it.second) return outcome();
    const driver& first = it.first->second;
    std::string text = "signal " + name + " is " + describe(first) + " and also " + describe(d);
    return refusal(model.file, d.line, name, std::move(text));
  };
  for (const flat_item& item : model.order) {
    outcome o = item.latch ? add(model.latches[item.index].output,
                                 driver{driver_kind::latch, model.latches[item.index].line})
                           : add(model.tables[item.index].output(),
                                 driver{driver_kind::table, model.tables[item.index].line});
    if (!o) return o;
  }

  // Used but undriven, in order of first use: outputs, then the inputs of
  // latches and tables in file order.
  std::vector<std::pair<std::string_view, long>> undriven;
  std::unordered_set<std::string_view> seen;
  auto use = [&](const std::string& name, long line) {
    if (drivers.count(name) || !seen.insert(name).second) return;
    undriven.emplace_back(name, line);
  };
  for (const std::string& n : model.outputs)
    use(n, model.line);
  for (const flat_item& item : model.order) {
    if (item.latch) {
      use(model.latches[item.index].input, model.latches[item.index].line);
    } else {
      const flat_table& t = model.tables[item.index];
      for (std::size_t i = 0; i + 1 < t.names.size(); ++i)
        use(t.names[i], t.line);
    }
  }

  std::vector<flat_table> constants;
  std::string constant_text;
  long constant_line = 0;
  std::vector<std::pair<std::string_view, long>> report;
  for (const auto& u : undriven) {
    std::size_t k = 0;
    while (k < 3 && u.first != kConstants[k])
      ++k;
    if (k == 3) {
      report.push_back(u);
      continue;
    }
    flat_table t;
    t.names = {std::string(u.first)};
    if (kConstantValues[k] == '1') t.rows = {"1"};
    t.line = u.second;
    constants.push_back(std::move(t));
    constant_text +=
        (constant_text.empty() ? "" : ", ") + std::string(u.first) + " = " + kConstantValues[k];
    if (constant_line == 0) constant_line = u.second;
  }
  if (!report.empty()) {
    std::string text;
    if (report.size() == 1) {
      text = "signal " + std::string(report[0].first) +
             " is used but never driven and read as undriven";
    } else {
      text = std::to_string(report.size()) +
             " signals are used but never driven and read as undriven: ";
      const std::size_t shown = report.size() < 6 ? report.size() : 5;
      for (std::size_t i = 0; i < shown; ++i)
        text += (i ? ", " : "") + std::string(report[i].first);
      if (shown < report.size()) text += " and " + std::to_string(report.size() - shown) + " more";
    }
    warnings.push_back(warning(model.file, report[0].second,
                               report.size() == 1 ? std::string(report[0].first) : "", text));
  }
  if (!constants.empty()) {
    warnings.push_back(warning(model.file, constant_line, "",
                               "undriven Yosys constants read as their values: " + constant_text));
    for (flat_table& t : constants)
      model.add_table(std::move(t));
  }
  return outcome();
}

}  // namespace tessaro
