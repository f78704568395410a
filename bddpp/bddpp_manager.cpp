// Named variables: creation, lookups in both directions, renaming, and the
// node dump with the variables' names.
#include "bddpp/bddpp_manager.h"

#include <cstdint>
#include <cstdlib>
#include <iostream>

bddpp_manager::bddpp_manager() : internal_man(bdd_init()) {}

bddpp_manager::~bddpp_manager() {
  bdd_quit(internal_man);
}

const void* bddpp_manager::handle_address(bdd f) {
  return reinterpret_cast<const void*>(static_cast<std::uintptr_t>(f));
}

bdd bddpp_manager::register_var(bdd var, const std::string& name, const name_index::place& place) {
  if (var == 0) return 0;
  const long id = bdd_if_id(internal_man, var) - 1;
  const auto at = static_cast<std::size_t>(id);
  if (at == names_by_id.size()) {
    names_by_id.push_back(name);
    assoc_by_id.push_back(0);
  } else {
    if (at > names_by_id.size()) {
      names_by_id.resize(at + 1);
      assoc_by_id.resize(at + 1, 0);
    }
    names_by_id[at] = name;
    assoc_by_id[at] = 0;
  }
  id_by_name.insert_at(place, id);
  return var;
}

template <class Make>
bdd bddpp_manager::named_var(const std::string& name, Make make) {
  const name_index::place place = id_by_name.find_place(name);
  if (place.id >= 0) return bdd_var_with_id(internal_man, place.id + 1);
  return register_var(make(), name, place);
}

bdd bddpp_manager::New_var_last(const std::string& name) {
  return named_var(name, [this] { return bdd_new_var_last(internal_man); });
}

bdd bddpp_manager::New_var_before(bdd v, const std::string& name) {
  return named_var(name, [this, v] { return bdd_new_var_before(internal_man, v); });
}

bdd bddpp_manager::New_var_after(bdd v, const std::string& name) {
  return named_var(name, [this, v] { return bdd_new_var_after(internal_man, v); });
}

void bddpp_manager::Reserve_vars(long count) {
  if (count <= 0) return;
  const auto n = static_cast<std::size_t>(count);
  names_by_id.reserve(n);
  assoc_by_id.reserve(n);
  id_by_name.reserve(n);
}

bdd bddpp_manager::Bdd_var_by_name(const std::string& name) const {
  const long id = id_by_name.find(name);
  if (id < 0) return 0;
  return bdd_var_with_id(internal_man, id + 1);
}

long bddpp_manager::Index_var_by_name(const std::string& name) const {
  bdd var = Bdd_var_by_name(name);
  return var == 0 ? -1 : bdd_if_index(internal_man, var);
}

long bddpp_manager::Id_var_by_name(const std::string& name) const {
  return id_by_name.find(name);
}

namespace {

const std::string kNoName;
const std::string kOneName = "1";
const std::string kZeroName = "0";

}  // namespace

const std::string& bddpp_manager::Name_var_by_index(long index) const {
  bdd var = bdd_var_with_index(internal_man, index);
  if (var == 0) return kNoName;
  return Name_var_by_id(bdd_if_id(internal_man, var) - 1);
}

const std::string& bddpp_manager::Name_var_by_id(long id) const {
  if (id < 0 || id >= static_cast<long>(names_by_id.size())) return kNoName;
  return names_by_id[static_cast<std::size_t>(id)];
}

const std::string& bddpp_manager::Name_var_by_bdd(bdd f) const {
  // The top node's own id names its variable: no detour through the order.
  const long id = bdd_if_id(internal_man, f);
  if (id >= 1) return Name_var_by_id(id - 1);
  if (f != 0 && f == bdd_one(internal_man)) return kOneName;
  if (f != 0 && f == bdd_zero(internal_man)) return kZeroName;
  std::cerr << "error in bddpp_manager::Name_var_by_bdd()" << std::endl;
  std::cerr << "bdd referenced by the adress: " << handle_address(f) << ", is not allocated ..."
            << std::endl;
  std::exit(1);
}

void bddpp_manager::Rename_var(const std::string& new_name, const std::string& old_name) {
  if (id_by_name.find(new_name) >= 0) {
    std::cerr << "in bdd_manager::Rename_var(): "
              << "WARNING " << new_name << " ALREADY DEFINED !" << std::endl;
    std::cerr << "renaming process aborted ..." << std::endl;
    return;
  }
  const long id = id_by_name.find(old_name);
  if (id < 0) {
    std::cerr << "in bdd_manager::Rename_var(): "
              << "WARNING " << old_name << " NOT FOUND !" << std::endl;
    std::cerr << "renaming process aborted ..." << std::endl;
    return;
  }
  id_by_name.erase(old_name);
  names_by_id[static_cast<std::size_t>(id)] = new_name;
  id_by_name.insert(id);
}

void bddpp_manager::No_begin_underscore_name() {
  // A prefixed name that is already taken would give two variables the same
  // name; such a name gets more "v"s in front until it is free.
  for (long index = 0; index < Nb_bdd_vars(); ++index) {
    const long id = bdd_if_id(internal_man, bdd_var_with_index(internal_man, index)) - 1;
    std::string& name = names_by_id[static_cast<std::size_t>(id)];
    if (name.empty() || name[0] != '_') continue;
    std::string renamed = "v" + name;
    while (id_by_name.find(renamed) >= 0)
      renamed = "v" + renamed;
    id_by_name.erase(name);
    name = renamed;
    id_by_name.insert(id);
  }
}

namespace {

const char* engine_var_name(bdd_manager m, bdd var, void* arg) {
  const auto* names = static_cast<const std::vector<std::string>*>(arg);
  const long id = bdd_if_id(m, var) - 1;
  if (id < 0 || id >= static_cast<long>(names->size())) return nullptr;
  return (*names)[static_cast<std::size_t>(id)].c_str();
}

}  // namespace

void bddpp_manager::Print_bdd_structure(std::FILE* out, bdd f) {
  bdd_print_bdd(internal_man, f, engine_var_name, nullptr, &names_by_id, out);
}
