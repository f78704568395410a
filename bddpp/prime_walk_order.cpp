// The order of the primes as the implicant tree walk leaves them, replayed
// on the records of the closure (see prime_search.h).
#include <algorithm>

#include "bddpp/prime_search.h"

// The slots of the replayed walk and the views along the current path:
// views[0] holds every slot, views[d + 1] the slots of views[d] whose
// product has the literal chosen at the d-th positive or negative branch.
// A leaf's view is made of the slots whose product implies the path's
// cube, in slot order.
struct prime_search::walk_state {
  std::vector<std::uint64_t> cube;
  std::vector<std::uint64_t> slots;  // cube_words per slot
  int slot_count = 0;
  int slot_limit = 0;
  std::vector<std::vector<int>> views;

  // Appends a slot holding `cube`; returns its id.
  int add(const std::uint64_t* cube, std::size_t cube_words) {
    slots.insert(slots.end(), cube, cube + cube_words);
    return slot_count++;
  }
};

bool prime_search::walk(walk_state& w, int r, std::size_t view) {
  if (r == kZero) return true;
  if (r == kOne) {
    std::vector<int>& here = w.views[view];
    if (!here.empty()) {
      // The first slot whose product implies the cube takes it.
      std::copy(w.cube.begin(), w.cube.end(),
                w.slots.begin() + static_cast<std::ptrdiff_t>(here.front()) *
                                      static_cast<std::ptrdiff_t>(cube_words_));
      return true;
    }
    if (w.slot_count == w.slot_limit) return false;
    const int id = w.add(w.cube.data(), cube_words_);
    // The new slot has every literal of the path: it belongs to each view.
    for (std::size_t d = 0; d <= view; ++d)
      w.views[d].push_back(id);
    return true;
  }
  if (w.views[view].empty()) return walk_alone(w, r, view);
  return expand(w, r, view);
}

bool prime_search::expand(walk_state& w, int r, std::size_t view) {
  const record& rec = records_[static_cast<std::size_t>(r)];
  const std::size_t word = static_cast<std::size_t>(rec.position) / 64;
  const std::uint64_t bit = std::uint64_t{1} << (rec.position % 64);
  const int sons[3] = {rec.son[0], rec.son[1], rec.son[2]};
  for (int side = 0; side < 2; ++side) {
    if (sons[side] == kZero) continue;
    const std::size_t offset = (side == 0 ? 0 : words_) + word;
    if (w.views.size() <= view + 1) w.views.emplace_back();
    std::vector<int>& narrow = w.views[view + 1];
    narrow.clear();
    for (int s : w.views[view]) {
      if (w.slots[static_cast<std::size_t>(s) * cube_words_ + offset] & bit) narrow.push_back(s);
    }
    w.cube[offset] |= bit;
    const bool within = walk(w, sons[side], view + 1);
    w.cube[offset] &= ~bit;
    if (!within) return false;
  }
  return walk(w, sons[2], view);
}

bool prime_search::walk_alone(walk_state& w, int r, std::size_t view) {
  // No slot of the view implies a cube of this subtree, nor can one before
  // the subtree ends but its own: the subtree leaves the slots it would
  // leave in an empty walk, whatever the path above it.
  if (alone_of_.empty()) alone_of_.assign(records_.size(), -1);
  const std::vector<std::uint64_t>* list = nullptr;
  walk_state own;
  if (alone_of_[static_cast<std::size_t>(r)] >= 0) {
    list = &alone_lists_[static_cast<std::size_t>(alone_of_[static_cast<std::size_t>(r)])];
  } else {
    own.cube.assign(cube_words_, 0);
    own.slot_limit = w.slot_limit;
    own.views.resize(1);
    if (!expand(own, r, 0)) return false;
    if (alone_words_ + own.slots.size() <= kMaxAloneWords) {
      alone_words_ += own.slots.size();
      alone_of_[static_cast<std::size_t>(r)] = static_cast<int>(alone_lists_.size());
      alone_lists_.push_back(std::move(own.slots));
      list = &alone_lists_.back();
    } else {
      list = &own.slots;
    }
  }
  const std::size_t count = list->size() / cube_words_;
  if (static_cast<std::size_t>(w.slot_limit - w.slot_count) < count) return false;
  std::vector<std::uint64_t> cube(cube_words_);
  for (std::size_t i = 0; i < list->size(); i += cube_words_) {
    for (std::size_t k = 0; k < cube_words_; ++k)
      cube[k] = w.cube[k] | (*list)[i + k];
    const int id = w.add(cube.data(), cube_words_);
    for (std::size_t d = 0; d <= view; ++d)
      w.views[d].push_back(id);
  }
  return true;
}

bool prime_search::order_as_tree_walk(int slot_limit) {
  if (records_.size() <= 2 || primes_.empty()) return false;
  // One prime has one order. The walk would still nest a walk state per
  // level of a long product (an and of n inputs: n states of 2n bits).
  if (primes_.size() == cube_words_) return true;
  // Above this many paths the walk cannot keep within its slots.
  const std::uint64_t most_paths =
      (static_cast<std::uint64_t>(support_.size()) + 1) * static_cast<std::uint64_t>(slot_limit);
  if (implicant_paths() > most_paths) return false;
  walk_state w;
  w.cube.assign(cube_words_, 0);
  w.slot_limit = slot_limit;
  w.views.resize(1);
  if (!walk(w, 2, 0)) return false;
  // The slots that hold a prime, in slot order; the others are the
  // products that imply an earlier one.
  std::vector<std::uint64_t> ordered;
  ordered.reserve(primes_.size());
  for (int s = 0; s < w.slot_count; ++s) {
    const std::uint64_t* cube = w.slots.data() + static_cast<std::size_t>(s) * cube_words_;
    if (is_prime(cube)) ordered.insert(ordered.end(), cube, cube + cube_words_);
  }
  if (ordered.size() != primes_.size()) return false;
  primes_ = std::move(ordered);
  return true;
}
