// The closure of a function under cofactors and their conjunction, and its
// prime implicants built from the leaves up (see prime_search.h).
#include "bddpp/prime_search.h"

#include <algorithm>
#include <utility>

namespace {

constexpr std::uint64_t kSaturated = std::uint64_t{1} << 62;

// Rank of the literal at bit `bit` of word `k` in the meeting order.
int rank_at(const std::uint64_t* cube, std::size_t words, std::size_t k, std::uint64_t bit) {
  if (cube[k] & bit) return 0;
  if (cube[words + k] & bit) return 1;
  return 2;
}

// Negative, zero or positive as a comes before, with or after b in the
// order in which the tree walk meets products.
int compare_cubes(const std::uint64_t* a, const std::uint64_t* b, std::size_t words) {
  for (std::size_t k = 0; k < words; ++k) {
    const std::uint64_t d = (a[k] ^ b[k]) | (a[words + k] ^ b[words + k]);
    if (d == 0) continue;
    const std::uint64_t bit = d & (~d + 1);
    return rank_at(a, words, k, bit) - rank_at(b, words, k, bit);
  }
  return 0;
}

}  // namespace

prime_search::prime_search(bddpp_manager* man, bdd f) : man_(man), f_(man->Bdd_dup(f)) {
  support_ = man->Support_indexes(f);
  for (long index : support_)
    var_at_.push_back(man->Bdd_var_by_index(index));
  words_ = std::max<std::size_t>(1, (support_.size() + 63) / 64);
  cube_words_ = 2 * words_;
  const long end = static_cast<long>(support_.size());
  records_.resize(2);
  records_[kZero].position = end;
  records_[kOne].position = end;
  records_[kOne].paths = 1;
  records_[kOne].primes.assign(cube_words_, 0);
}

prime_search::~prime_search() {
  for (const record& r : records_)
    if (r.g != 0) man_->Bdd_free(r.g);
  man_->Bdd_free(f_);
}

int prime_search::record_of(bdd g) {
  if (man_->Bdd_is_tautology(g, 1)) {
    man_->Bdd_free(g);
    return kOne;
  }
  if (man_->Bdd_is_tautology(g, 0)) {
    man_->Bdd_free(g);
    return kZero;
  }
  auto found = id_of_.find(g);
  if (found != id_of_.end()) {
    man_->Bdd_free(g);
    return found->second;
  }
  if (records_.size() >= kMaxRecords) {
    man_->Bdd_free(g);
    return -1;
  }
  const int id = static_cast<int>(records_.size());
  records_.emplace_back();
  records_.back().g = g;
  const long index = man_->Bdd_if_index(g);
  records_.back().position =
      std::lower_bound(support_.begin(), support_.end(), index) - support_.begin();
  id_of_.emplace(g, id);
  return id;
}

bool prime_search::build_closure() {
  if (record_of(man_->Bdd_dup(f_)) != 2) return false;
  const long start = bdd_work_count(man_->engine());
  // Records are appended as they are met; each is expanded once.
  for (std::size_t r = 2; r < records_.size(); ++r) {
    if (bdd_work_count(man_->engine()) - start > kMaxWork) return false;
    const bdd g = records_[r].g;
    bdd positive = man_->Bdd_then(g);
    bdd negative = man_->Bdd_else(g);
    bdd both = man_->Bdd_and(positive, negative);
    const int sons[3] = {record_of(positive), record_of(negative), record_of(both)};
    for (int k = 0; k < 3; ++k) {
      if (sons[k] < 0) return false;
      records_[r].son[k] = sons[k];
      ++records_[static_cast<std::size_t>(sons[k])].parents_left;
    }
  }
  return true;
}

bool prime_search::primes_of(int r, int limit) {
  record& rec = records_[static_cast<std::size_t>(r)];
  const std::size_t word = static_cast<std::size_t>(rec.position) / 64;
  const std::uint64_t bit = std::uint64_t{1} << (rec.position % 64);
  const std::vector<std::uint64_t>& both = records_[static_cast<std::size_t>(rec.son[2])].primes;
  std::vector<std::uint64_t>& out = rec.primes;
  // One cofactor alone has primes and no other record needs them (a long
  // product): its list is taken over, the literal added in place, instead
  // of copied cube by cube.
  bool taken = false;
  for (int side = 0; side < 2 && both.empty(); ++side) {
    record& son = records_[static_cast<std::size_t>(rec.son[side])];
    if (rec.son[side] <= kOne || son.parents_left != 1 ||
        !records_[static_cast<std::size_t>(rec.son[1 - side])].primes.empty())
      continue;
    if (son.primes.size() / cube_words_ > static_cast<std::size_t>(limit)) return false;
    out = std::move(son.primes);
    son.primes.clear();
    for (std::size_t at = 0; at < out.size(); at += cube_words_)
      out[at + (side == 0 ? 0 : words_) + word] |= bit;
    taken = true;
    break;
  }
  // The primes of a cofactor that are not primes of h, with x or !x added.
  for (int side = 0; side < 2 && !taken; ++side) {
    const std::vector<std::uint64_t>& cofactor =
        records_[static_cast<std::size_t>(rec.son[side])].primes;
    std::size_t j = 0;
    for (std::size_t i = 0; i < cofactor.size(); i += cube_words_) {
      const std::uint64_t* cube = cofactor.data() + i;
      int order = 1;
      while (j < both.size() && (order = compare_cubes(both.data() + j, cube, words_)) < 0)
        j += cube_words_;
      if (j < both.size() && order == 0) continue;
      if (out.size() / cube_words_ >= static_cast<std::size_t>(limit)) return false;
      const std::size_t at = out.size();
      out.insert(out.end(), cube, cube + cube_words_);
      out[at + (side == 0 ? 0 : words_) + word] |= bit;
    }
  }
  if (out.size() / cube_words_ + both.size() / cube_words_ > static_cast<std::size_t>(limit))
    return false;
  out.insert(out.end(), both.begin(), both.end());
  std::uint64_t paths = 0;
  for (int k = 0; k < 3; ++k)
    paths += records_[static_cast<std::size_t>(rec.son[k])].paths;
  rec.paths = std::min(paths, kSaturated);
  // Sons no other record still needs give their lists back.
  for (int k = 0; k < 3; ++k) {
    record& son = records_[static_cast<std::size_t>(rec.son[k])];
    if (--son.parents_left == 0 && rec.son[k] > kOne) std::vector<std::uint64_t>().swap(son.primes);
  }
  return true;
}

prime_search::status prime_search::find(int limit) {
  if (!build_closure()) return status::too_many;
  // Sons sit below their record in the order: the deepest records first.
  std::vector<int> order;
  for (std::size_t r = 2; r < records_.size(); ++r)
    order.push_back(static_cast<int>(r));
  std::stable_sort(order.begin(), order.end(), [this](int a, int b) {
    return records_[static_cast<std::size_t>(a)].position >
           records_[static_cast<std::size_t>(b)].position;
  });
  for (int r : order)
    if (!primes_of(r, limit)) return status::too_many;
  primes_ = std::move(records_[2].primes);
  return status::found;
}

std::uint64_t prime_search::implicant_paths() const {
  return records_.size() > 2 ? records_[2].paths : 0;
}

bdd prime_search::product(int i) const {
  const std::uint64_t* cube = primes_.data() + static_cast<std::size_t>(i) * cube_words_;
  bdd r = man_->Bdd_dup(man_->Bdd_one());
  for (std::size_t p = var_at_.size(); p-- > 0;) {
    const std::uint64_t bit = std::uint64_t{1} << (p % 64);
    const bool positive = (cube[p / 64] & bit) != 0;
    if (!positive && (cube[words_ + p / 64] & bit) == 0) continue;
    bdd next = man_->Bdd_and(r, positive ? var_at_[p] : var_at_[p] ^ 1u);
    man_->Bdd_free(r);
    r = next;
  }
  return r;
}

bool prime_search::is_prime(const std::uint64_t* cube) const {
  std::size_t low = 0;
  std::size_t high = primes_.size() / cube_words_;
  while (low < high) {
    const std::size_t mid = (low + high) / 2;
    const int order = compare_cubes(primes_.data() + mid * cube_words_, cube, words_);
    if (order == 0) return true;
    if (order < 0)
      low = mid + 1;
    else
      high = mid;
  }
  return false;
}
