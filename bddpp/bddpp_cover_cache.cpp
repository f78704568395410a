// Covers of functions of few variables, reused by truth table. A cover is a
// function of the BDD alone, and the BDD of a function of k variables is
// fixed by its truth table over those variables taken in index order. So two
// functions with the same table over their supports have the same cover, up
// to the renaming of the support's variables: the products are kept as
// literal masks over support positions and rebuilt over the variables at hand.
#include <cstdint>
#include <vector>

#include "bddpp/bddpp_manager.h"
#include "bddpp/product_array.h"
#include "support/reference_paths.h"

const std::vector<std::uint16_t>* bddpp_manager::small_cover_rows(bdd f, int method,
                                                                  std::vector<long>& support) {
  Support_indexes(f, support);
  return small_cover_rows_over(f, method, support);
}

const std::vector<std::uint16_t>* bddpp_manager::small_cover_rows(
    bdd f, int method, std::vector<long>& support, const std::vector<long>* known,
    bddpp_cover_memo* memo, const std::vector<long>*& columns) {
  if (known == nullptr) {
    columns = &support;
    return small_cover_rows(f, method, support);
  }
  // The known support is read where it is: the methods do not touch it.
  columns = known;
  bddpp_cover_memo local;
  if (memo == nullptr) memo = &local;
  if (memo->man != this) {
    std::uint64_t table;
    if (!small_truth_table(f, *known, table)) return nullptr;
    *memo = {this, table, nullptr};
  }
  return small_cover_rows_of(f, method, *known, memo->table, memo->covers, nullptr);
}

bool bddpp_manager::small_truth_table(bdd f, const std::vector<long>& support,
                                      std::uint64_t& table) const {
  if (tessaro::reference_paths() || support.empty() ||
      support.size() > static_cast<std::size_t>(kSmallCoverVars))
    return false;
  if (support.size() == 1) {
    // A function of one variable is the variable or its negation: bit a
    // of the table is bit 0 of a, or its opposite.
    const bdd var = bdd_var_with_index(internal_man, support[0]);
    constexpr std::uint64_t kPositive = 0xAAAAAAAAAAAAAAAAull;
    if (f == var) {
      table = kPositive;
      return true;
    }
    if (f == (var ^ 1u)) {
      table = ~kPositive;
      return true;
    }
  }
  return bdd_small_truth_table(internal_man, f, support.data(), static_cast<int>(support.size()),
                               &table) != 0;
}

const std::vector<std::uint16_t>* bddpp_manager::small_cover_rows_over(bdd f, int method,
                                                                       std::vector<long>& support) {
  std::uint64_t table;
  if (!small_truth_table(f, support, table)) return nullptr;
  bddpp_small_cover* covers = nullptr;
  return small_cover_rows_of(f, method, support, table, covers, &support);
}

const std::vector<std::uint16_t>* bddpp_manager::small_cover_rows_of(
    bdd f, int method, const std::vector<long>& support, std::uint64_t key,
    bddpp_small_cover*& covers, std::vector<long>* restore) {
  const int m = method == 1 || method == 2 ? method : 0;
  auto& table = small_covers[support.size()];
  if (covers == nullptr) {
    auto found = table.find(key);
    if (found != table.end()) covers = &found->second;
  }
  if (covers != nullptr && (covers->found >> m) & 1u) return &covers->rows[m];
  return compute_small_cover(f, m, support, key, covers, restore);
}

__attribute__((noinline)) const std::vector<std::uint16_t>* bddpp_manager::compute_small_cover(
    bdd f, int m, const std::vector<long>& support, std::uint64_t key, bddpp_small_cover*& covers,
    std::vector<long>* restore) {
  auto& table = small_covers[support.size()];
  // Copied: the methods below may use the room `support` is in.
  const std::vector<long> own_support = support;
  product_array products;
  const int count = m == 1   ? Bdd_sop_1(f, products.get())
                    : m == 2 ? Bdd_sop_2(f, products.get())
                             : Bdd_sop_0(f, products.get());
  std::vector<std::uint16_t> rows;
  bool cacheable = true;
  std::vector<std::pair<long, int>>& literals = cover_literal_scratch;
  for (int i = 0; i < count && cacheable; ++i) {
    cacheable = Cube_literals(products[i], literals);
    std::uint16_t row = 0;
    for (const auto& [index, sign] : literals) {
      std::size_t p = 0;
      while (p < own_support.size() && own_support[p] != index)
        ++p;
      if (p == own_support.size()) cacheable = false;
      if (!cacheable) break;
      row |= static_cast<std::uint16_t>(1u << (sign == 1 ? p : p + 8));
    }
    rows.push_back(row);
  }
  for (int i = 0; i < count; ++i)
    Bdd_free(products[i]);
  if (restore != nullptr) *restore = own_support;
  if (!cacheable) return nullptr;
  if (covers == nullptr) covers = &table.try_emplace(key).first->second;
  covers->rows[m] = std::move(rows);
  covers->found |= 1u << m;
  return &covers->rows[m];
}

int bddpp_manager::small_cover(bdd f, bdd* out, int method) {
  std::vector<long>& support = cover_support_scratch;
  const std::vector<std::uint16_t>* rows = small_cover_rows(f, method, support);
  if (rows == nullptr) return -1;
  // Each product from its last literal up: one new top node per literal.
  int count = 0;
  for (const std::uint16_t row : *rows) {
    bdd product = bdd_identity(internal_man, bdd_one(internal_man));
    for (std::size_t p = support.size(); p-- > 0;) {
      const bool positive = (row >> p) & 1u;
      const bool negative = (row >> (p + 8)) & 1u;
      if (!positive && !negative) continue;
      bdd var = bdd_var_with_index(internal_man, support[p]);
      bdd next = bdd_and(internal_man, positive ? var : var ^ 1u, product);
      bdd_free(internal_man, product);
      product = next;
    }
    out[count++] = product;
  }
  return count;
}
