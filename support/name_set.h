// Set of names seen so far, for the checks that a name occurs once, each
// with the number it was entered with: one open-addressing array of
// (view, number, hash) slots probed linearly, sized from
// the number of names expected, so an insertion allocates nothing until the
// set outgrows that number. The set holds views: the strings must stay in
// place while it is used.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

namespace tessaro {

// One step of the hash over the last bytes: `word` enters at the bottom, so
// that the multiplication carries every bit of it upwards, and the shift
// brings the top back down.
inline std::uint64_t name_tail_step(std::uint64_t h, std::uint64_t word) {
  h = (h ^ word) * 0xc4ceb9fe1a85ec53u;
  return h ^ (h >> 29);
}

// A 64-bit hash of a name, taking eight bytes at a time, then the last n < 8
// bytes in at most two loads: the first and the last four of them (which
// overlap when n < 8), or the first, middle and last byte. Every byte
// counts, and the length enters first, so those loads tell the names apart.
inline std::uint64_t name_hash(std::string_view name) {
  const char* p = name.data();
  std::size_t n = name.size();
  std::uint64_t h = 0x9e3779b97f4a7c15u ^ n;
  while (n >= 8) {
    std::uint64_t word;
    std::memcpy(&word, p, 8);
    h = (h ^ word) * 0xff51afd7ed558ccdu;
    h ^= h >> 32;
    p += 8;
    n -= 8;
  }
  if (n >= 4) {
    std::uint32_t first, last;
    std::memcpy(&first, p, 4);
    std::memcpy(&last, p + n - 4, 4);
    h = name_tail_step(name_tail_step(h, first), last);
  } else {
    const auto byte = [p](std::size_t i) {
      return std::uint64_t{static_cast<unsigned char>(p[i])};
    };
    h = name_tail_step(h, n == 0 ? 0 : byte(0) | byte(n / 2) << 8 | byte(n - 1) << 16);
  }
  h *= 0xff51afd7ed558ccdu;
  return h ^ (h >> 32);
}

class name_set {
 public:
  // Room for `expected` names without growing.
  explicit name_set(std::size_t expected = 0) { grow_to(expected); }

  // Adds `name`; true when it was not in the set yet.
  bool insert(std::string_view name) { return insert_or_find(name, 0) == nullptr; }
  // Adds `name` with `number` and returns null; when the name is in the set
  // already, leaves it and returns the number it was entered with.
  const int* insert_or_find(std::string_view name, int number) {
    if (2 * (count_ + 1) > slots_.size()) grow_to(count_ + 1);
    const std::uint64_t hash = name_hash(name);
    slot& s = slots_[locate(name, hash)];
    if (s.data != nullptr) return &s.number;
    s = {name.data(), static_cast<std::uint32_t>(name.size()), number, hash};
    ++count_;
    return nullptr;
  }
  bool contains(std::string_view name) const {
    return slots_[locate(name, name_hash(name))].data != nullptr;
  }
  std::size_t size() const { return count_; }

 private:
  struct slot {
    const char* data;  // null: empty
    std::uint32_t size;
    int number;
    std::uint64_t hash;
  };

  std::size_t locate(std::string_view name, std::uint64_t hash) const {
    const std::size_t mask = slots_.size() - 1;
    std::size_t i = hash & mask;
    while (slots_[i].data != nullptr) {
      const slot& s = slots_[i];
      if (s.hash == hash && std::string_view(s.data, s.size) == name) return i;
      i = (i + 1) & mask;
    }
    return i;
  }
  // At least twice as many slots as `names`, a power of two.
  void grow_to(std::size_t names) {
    std::size_t size = 16;
    while (size < 2 * names)
      size *= 2;
    if (size <= slots_.size()) return;
    std::vector<slot> old(size, slot{nullptr, 0, 0, 0});
    old.swap(slots_);
    const std::size_t mask = slots_.size() - 1;
    for (const slot& s : old) {
      if (s.data == nullptr) continue;
      std::size_t i = s.hash & mask;
      while (slots_[i].data != nullptr)
        i = (i + 1) & mask;
      slots_[i] = s;
    }
  }

  std::vector<slot> slots_;
  std::size_t count_ = 0;
};

}  // namespace tessaro
