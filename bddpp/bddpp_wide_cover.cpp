// Covers that do not stop at the prime limit: the method-2 cover where the
// primes fit, an irredundant cover of primes found without listing them all
// elsewhere, and the BLIF printer of either, with any number of rows.
#include <ostream>
#include <string>

#include "bddpp/bddpp_manager.h"
#include "bddpp/irredundant_cover.h"
#include "bddpp/product_array.h"

bool bddpp_manager::Bdd_irredundant_primes(bdd f, std::vector<bdd>& out, long max_products) {
  out.clear();
  if (f == 0) null_function();
  if (Bdd_is_tautology(f, 0)) return true;
  if (Bdd_is_tautology(f, 1)) {
    out.push_back(Bdd_dup(f));
    return true;
  }
  {
    irredundant_cover sum(this, f, static_cast<std::uint64_t>(max_products));
    if (sum.count() > static_cast<std::uint64_t>(max_products)) return false;
    sum.products(out);
  }
  // Widened, each product is prime; widening may make others redundant.
  expand_products(f, out);
  drop_redundant(this, out);
  return true;
}

bddpp_manager::wide_cover bddpp_manager::Bdd_sop_wide(bdd f, std::vector<bdd>& out) {
  out.clear();
  if (f == 0) null_function();
  if (small_cover_rows(f, 2, cover_support_scratch) != nullptr || Bdd_if_index(f) < 0) {
    Bdd_sop(f, out, 2);
    return wide_cover::primes;
  }
  product_array primes;
  const int count = primes_within(f, primes.get(), kBddppMaxProducts);
  if (count >= 0) {
    product_array essential;
    product_array other;
    int n_essential = 0;
    int n_other = 0;
    split_essential(f, primes.get(), count, n_essential, essential.get(), n_other, other.get());
    out.resize(static_cast<std::size_t>(count));
    out.resize(static_cast<std::size_t>(
        complete_cover(f, essential.get(), n_essential, other.get(), n_other, out.data())));
    return wide_cover::primes;
  }
  return Bdd_irredundant_primes(f, out) ? wide_cover::irredundant : wide_cover::too_large;
}

bddpp_manager::wide_cover bddpp_manager::BLIF_print_wide(std::ostream& out, bdd var, bdd f) {
  if (f == 0) null_function();
  // Small covers come from the cover cache as rows, without products.
  if (small_cover_rows(f, 2, cover_support_scratch) != nullptr || Bdd_if_index(f) < 0) {
    BLIF_print(out, var, f, 2);
    return wide_cover::primes;
  }
  const std::string& output = Name_var_by_bdd(var);
  std::vector<bdd> products;
  const wide_cover kind = Bdd_sop_wide(f, products);
  if (kind == wide_cover::too_large) return kind;
  const std::vector<long> columns = Support_indexes(f);
  tessaro::text_buffer& text = cover_text;
  text.clear();
  text.append(".names  ");
  for (long i : columns) {
    text.append(Name_var_by_index(i));
    text.append(' ');
  }
  text.append(output);
  text.append('\n');
  if (columns.empty()) {
    text.append(Bdd_is_tautology(f, 0) ? "0\n" : "1\n");
  } else {
    // Written a piece at a time: a cover may have millions of rows.
    for (bdd product : products) {
      append_row(text, columns, product, "", 0);
      text.append(" 1\n", 3);
      if (text.size() >= (std::size_t{1} << 20)) {
        text.write_to(out);
        text.clear();
      }
    }
  }
  text.write_to(out);
  for (bdd product : products)
    Bdd_free(product);
  return kind;
}

std::string bddpp_manager::Wide_cover_message(wide_cover kind, const std::string& signal) {
  const std::string limit = std::to_string(kBddppMaxProducts);
  switch (kind) {
    case wide_cover::primes:
      break;
    case wide_cover::irredundant:
      return "warning: signal " + signal + " has more than " + limit +
             " prime implicants: its cover is an irredundant cover of prime implicants, not the "
             "essential-first one";
    case wide_cover::too_large:
      return "signal " + signal + ": its cover would have more than " +
             std::to_string(kMaxWideCoverProducts) + " products";
  }
  return std::string();
}
