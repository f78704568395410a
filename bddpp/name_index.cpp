// Open-addressing index of names, with deletion by backward shift so that no
// run of slots is ever broken by a removed entry.
#include "bddpp/name_index.h"

#include "support/name_set.h"

std::uint32_t name_index::hash_of(const std::string& name) {
  const std::uint64_t h = tessaro::name_hash(name);
  return static_cast<std::uint32_t>(h ^ (h >> 32));
}

std::size_t name_index::locate(const std::string& name, std::uint32_t hash) const {
  const std::size_t mask = slots_.size() - 1;
  std::size_t i = hash & mask;
  while (slots_[i].id >= 0) {
    if (slots_[i].hash == hash && (*names_)[static_cast<std::size_t>(slots_[i].id)] == name)
      return i;
    i = (i + 1) & mask;
  }
  return i;
}

long name_index::find(const std::string& name) const {
  if (count_ == 0) return -1;
  return slots_[locate(name, hash_of(name))].id;
}

void name_index::insert(long id) {
  if (2 * (count_ + 1) > slots_.size()) grow();
  const std::string& name = (*names_)[static_cast<std::size_t>(id)];
  const std::uint32_t hash = hash_of(name);
  const std::size_t i = locate(name, hash);
  if (slots_[i].id < 0) ++count_;
  slots_[i] = {hash, static_cast<std::int32_t>(id)};
}

name_index::place name_index::find_place(const std::string& name) {
  if (2 * (count_ + 1) > slots_.size()) grow();
  const std::uint32_t hash = hash_of(name);
  const std::size_t i = locate(name, hash);
  return {slots_[i].id, i, hash};
}

void name_index::insert_at(const place& p, long id) {
  ++count_;
  slots_[p.slot] = {p.hash, static_cast<std::int32_t>(id)};
}

void name_index::erase(const std::string& name) {
  if (count_ == 0) return;
  const std::size_t mask = slots_.size() - 1;
  std::size_t hole = locate(name, hash_of(name));
  if (slots_[hole].id < 0) return;
  --count_;
  // Entries after the hole move back into it when their home slot does not
  // lie between the hole and their place.
  for (std::size_t j = (hole + 1) & mask; slots_[j].id >= 0; j = (j + 1) & mask) {
    const std::size_t home = slots_[j].hash & mask;
    const bool stays = hole <= j ? (hole < home && home <= j) : (hole < home || home <= j);
    if (!stays) {
      slots_[hole] = slots_[j];
      hole = j;
    }
  }
  slots_[hole].id = -1;
}

void name_index::grow() {
  rehash(slots_.empty() ? 64 : 2 * slots_.size());
}

void name_index::reserve(std::size_t count) {
  std::size_t size = slots_.empty() ? 64 : slots_.size();
  while (2 * count > size)
    size *= 2;
  if (size > slots_.size()) rehash(size);
}

void name_index::rehash(std::size_t size) {
  std::vector<slot> old;
  old.swap(slots_);
  slots_.assign(size, slot{0, -1});
  const std::size_t mask = slots_.size() - 1;
  for (const slot& s : old) {
    if (s.id < 0) continue;
    std::size_t i = s.hash & mask;
    while (slots_[i].id >= 0)
      i = (i + 1) & mask;
    slots_[i] = s;
  }
}
