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

namespace {

// Truth table of variable p among six: bit m is bit p of m.
constexpr std::uint64_t kPattern[bddpp_manager::kSmallCoverVars] = {
    0xAAAAAAAAAAAAAAAAull, 0xCCCCCCCCCCCCCCCCull, 0xF0F0F0F0F0F0F0F0ull,
    0xFF00FF00FF00FF00ull, 0xFFFF0000FFFF0000ull, 0xFFFFFFFF00000000ull};

}  // namespace

std::uint64_t bddpp_manager::small_truth_table(bdd g, const std::vector<long>& support) {
  if (g == bdd_one(internal_man)) return ~std::uint64_t{0};
  if (g == bdd_zero(internal_man)) return 0;
  const long index = bdd_if_index(internal_man, g);
  std::size_t p = 0;
  while (support[p] != index)
    ++p;
  bdd then_part = bdd_then(internal_man, g);
  bdd else_part = bdd_else(internal_man, g);
  const std::uint64_t table = (kPattern[p] & small_truth_table(then_part, support)) |
                              (~kPattern[p] & small_truth_table(else_part, support));
  bdd_free(internal_man, then_part);
  bdd_free(internal_man, else_part);
  return table;
}

const std::vector<std::uint16_t>* bddpp_manager::small_cover_rows(bdd f, int method,
                                                                  std::vector<long>& support) {
  Support_indexes(f, support);
  return small_cover_rows_over(f, method, support);
}

const std::vector<std::uint16_t>* bddpp_manager::small_cover_rows_over(bdd f, int method,
                                                                       std::vector<long>& support) {
  if (tessaro::reference_paths() || support.empty() ||
      support.size() > static_cast<std::size_t>(kSmallCoverVars))
    return nullptr;
  const int m = method == 1 || method == 2 ? method : 0;
  auto& table = small_covers[m][support.size()];
  const std::uint64_t key = small_truth_table(f, support);
  auto found = table.find(key);
  if (found != table.end()) return &found->second;
  // Copied: the methods below use the support room themselves.
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
  support = own_support;
  if (!cacheable) return nullptr;
  return &table.emplace(key, std::move(rows)).first->second;
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
