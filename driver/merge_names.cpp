// Names as the files write them.
#include "driver/merge_names.h"

#include <unordered_map>
#include <utility>

#include "automaton/composition.h"
#include "automaton/merge.h"
#include "blif/name_encoding.h"

std::string shown_name(const std::string& encoded) {
  std::string name;
  return tessaro::decode_name(encoded, name) ? name : encoded;
}

namespace {

// Names the encoding changed start with "__" (blif/name_encoding.h).
bool encoding_changed(const std::string& name) {
  return name.size() >= 2 && name[0] == '_' && name[1] == '_';
}

}  // namespace

tessaro::outcome plan_shown_merge(const b_automaton& a, const std::string& file_a,
                                  const b_automaton& b, const std::string& file_b,
                                  composition_plan& plan, std::vector<std::string>& shown) {
  shown.clear();
  const std::vector<b_automaton_connector> connectors = merge_connectors(a, b);
  std::vector<part_names> parts = merge_parts(a, file_a, b, file_b);
  bool changed = false;
  for (const part_names& part : parts)
    for (const std::string& name : part.positions)
      changed = changed || encoding_changed(name);
  // Without encoded names both plans are one.
  if (!changed) return plan_composition(std::move(parts), connectors, plan);
  std::vector<part_names> decoded = parts;
  for (part_names& part : decoded)
    for (std::string& name : part.positions)
      if (encoding_changed(name)) name = shown_name(name);
  composition_plan shown_plan;
  tessaro::outcome planned = plan_composition(std::move(decoded), connectors, shown_plan);
  if (!planned) return planned;
  planned = plan_composition(std::move(parts), connectors, plan);
  if (!planned) return shown_refusal(planned.error());
  const int n = plan.nb_variables();
  shown.reserve(static_cast<std::size_t>(n));
  for (int k = 0; k < n; ++k)
    shown.push_back(shown_plan.name(k));
  return {};
}

tessaro::outcome show_names(b_automaton& merged, const composition_plan& plan,
                            const std::vector<std::string>& shown) {
  if (shown.empty()) return {};
  std::unordered_map<std::string, const std::string*> to_shown;
  const int n = plan.nb_variables();
  to_shown.reserve(static_cast<std::size_t>(n));
  for (int k = 0; k < n; ++k)
    if (plan.name(k) != shown[static_cast<std::size_t>(k)])
      to_shown.emplace(plan.name(k), &shown[static_cast<std::size_t>(k)]);
  if (to_shown.empty()) return {};
  return merged.rename_signals([&to_shown](const std::string& name) {
    auto found = to_shown.find(name);
    return found == to_shown.end() ? name : *found->second;
  });
}

void print_connection_names(std::ostream& out, const std::vector<b_automaton_connector>& connectors,
                            const b_automaton& a, const std::string& tag_a, const b_automaton& b,
                            const std::string& tag_b) {
  const b_automaton* parts[2] = {&a, &b};
  const std::string* tags[2] = {&tag_a, &tag_b};
  std::string text;
  for (const b_automaton_connector& c : connectors) {
    const int to = c.my_input_instance_id(), from = c.my_output_instance_id();
    text += *tags[to] + "." + shown_name(parts[to]->nom_input(c.my_input_signal_id())) + " <- " +
            *tags[from] + "." + shown_name(parts[from]->nom_output(c.my_output_signal_id())) + "\n";
  }
  if (connectors.empty()) text = "(no connections)\n";
  out << text;
  out.flush();
}

tessaro::diagnostic shown_refusal(tessaro::diagnostic d) {
  if (d.signal.empty()) return d;
  const std::string shown = shown_name(d.signal);
  if (shown == d.signal) return d;
  std::string text;
  for (std::size_t at = 0;;) {
    const std::size_t found = d.text.find(d.signal, at);
    text.append(d.text, at, found == std::string::npos ? std::string::npos : found - at);
    if (found == std::string::npos) break;
    text += shown;
    at = found + d.signal.size();
  }
  d.text = std::move(text);
  d.signal = shown;
  return d;
}
