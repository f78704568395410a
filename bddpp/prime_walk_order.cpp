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
  std::size_t depth = 0;
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
    const int id = w.slot_count++;
    w.slots.insert(w.slots.end(), w.cube.begin(), w.cube.end());
    // The new slot has every literal of the path: it belongs to each view.
    for (std::size_t d = 0; d <= view; ++d)
      w.views[d].push_back(id);
    return true;
  }
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

bool prime_search::order_as_tree_walk(int slot_limit) {
  if (records_.size() <= 2 || primes_.empty()) return false;
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
