// Renaming every signal of an automaton for display.
#include <vector>

#include "automaton/b_automaton.h"
#include "support/name_set.h"

namespace {

bool starts_with(const std::string& name, const std::string& prefix) {
  return name.compare(0, prefix.size(), prefix) == 0;
}

// A prefix that begins none of the names, so that names made from it are
// free while the variables change names one by one.
std::string free_prefix(const std::vector<std::string>& a, const std::vector<std::string>& b) {
  std::string prefix = "~";
  for (bool taken = true; taken;) {
    taken = false;
    for (const auto* names : {&a, &b})
      for (const std::string& name : *names)
        taken = taken || starts_with(name, prefix);
    if (taken) prefix += '~';
  }
  return prefix;
}

}  // namespace

tessaro::outcome b_automaton::rename_signals(
    const std::function<std::string(const std::string&)>& display) {
  bddpp_manager* man = manager_associe();
  const auto n = static_cast<std::size_t>(man->Nb_bdd_vars());
  std::vector<std::string> old_names, new_names;
  old_names.reserve(n);
  new_names.reserve(n);
  for (std::size_t i = 0; i < n; ++i) {
    old_names.push_back(man->Name_var_by_index(static_cast<long>(i)));
    new_names.push_back(display(old_names.back()));
  }
  tessaro::name_set owner(n);
  for (std::size_t i = 0; i < n; ++i) {
    if (const int* first = owner.insert_or_find(new_names[i], static_cast<int>(i)))
      return tessaro::refusal("", 0, new_names[i],
                              "signals " + old_names[static_cast<std::size_t>(*first)] + " and " +
                                  old_names[i] + " would both be written as " + new_names[i]);
  }
  // Through free names first, so that no rename meets a name still in use.
  const std::string prefix = free_prefix(old_names, new_names);
  for (std::size_t i = 0; i < n; ++i)
    if (old_names[i] != new_names[i]) man->Rename_var(prefix + std::to_string(i), old_names[i]);
  for (std::size_t i = 0; i < n; ++i)
    if (old_names[i] != new_names[i]) man->Rename_var(new_names[i], prefix + std::to_string(i));
  for (auto* list :
       {&names->state_var_names, &names->input_names, &names->output_names, &names->local_names})
    for (std::string& name : *list)
      name = display(name);
  return {};
}
