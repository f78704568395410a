// Text of products and sums of products, and covers in PLA and BLIF layout.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <optional>
#include <vector>

#include "bddpp/bddpp_manager.h"
#include "bddpp/product_limit.h"

namespace {

// The products of f by `method`, released when the list goes. Methods 0
// and 1 are not bounded: the list holds as many products as they find.
class product_list {
 public:
  product_list(bddpp_manager* man, bdd f, int method) : man_(man) {
    man->Bdd_sop(f, products_, method);
  }
  ~product_list() {
    for (bdd p : products_)
      man_->Bdd_free(p);
  }
  product_list(const product_list&) = delete;
  product_list& operator=(const product_list&) = delete;
  long size() const { return static_cast<long>(products_.size()); }
  bdd operator[](long i) const { return products_[static_cast<std::size_t>(i)]; }

 private:
  bddpp_manager* man_;
  std::vector<bdd> products_;
};

// The literals of `product` in index order, into `literals`. A product is
// read along its single path to one; any other function through its
// literal vector.
void literals_of(bddpp_manager* man, bdd product, std::vector<std::pair<long, int>>& literals) {
  if (man->Cube_literals(product, literals)) return;
  std::vector<int> vector(static_cast<std::size_t>(man->Nb_bdd_vars()));
  man->Bdd_to_literals(product, vector.data());
  literals.clear();
  for (std::size_t i = 0; i < vector.size(); ++i)
    if (vector[i] != 2) literals.emplace_back(static_cast<long>(i), vector[i]);
}

// Appends of the two kinds of text the printers build: a string, or a
// chunked buffer written in place.
void add(std::string& text, const std::string& piece) {
  text += piece;
}
void add(std::string& text, const char* piece) {
  text += piece;
}
void add(std::string& text, char c) {
  text += c;
}
void add(tessaro::chunked_buffer& text, const std::string& piece) {
  text.append(piece.data(), piece.size());
}
void add(tessaro::chunked_buffer& text, const char* piece) {
  text.append(piece);
}
void add(tessaro::chunked_buffer& text, char c) {
  text.append(c);
}

// A piece of text of known length, and its copy in place.
struct piece {
  const char* text;
  std::size_t size;
};
piece piece_of(const char* text) {
  return {text, std::strlen(text)};
}
char* put(char* at, piece p) {
  std::memcpy(at, p.text, p.size);
  return at + p.size;
}
char* put(char* at, const std::string& text) {
  std::memcpy(at, text.data(), text.size());
  return at + text.size();
}

}  // namespace

template <class Text>
void bddpp_manager::append_product(Text& text, const char* and_sep, const char* not_before,
                                   const char* not_after, bdd product, const char* prefix,
                                   const char* suffix) {
  if (Bdd_is_tautology(product, 0)) {
    add(text, '0');
    return;
  }
  if (Bdd_is_tautology(product, 1)) {
    add(text, '1');
    return;
  }
  literals_of(this, product, literal_scratch);
  bool first = true;
  for (const auto& literal : literal_scratch) {
    if (!first) add(text, and_sep);
    first = false;
    if (literal.second == 0) add(text, not_before);
    add(text, prefix);
    add(text, Name_var_by_index(literal.first));
    add(text, suffix);
    if (literal.second == 0) add(text, not_after);
  }
}

template <class Text>
void bddpp_manager::append_sop(Text& text, const char* or_sep, const char* and_sep,
                               const char* not_before, const char* not_after, bdd f,
                               const char* prefix, const char* suffix, int method,
                               const std::vector<long>* support, bddpp_cover_memo* memo) {
  const std::vector<long>* columns = support;
  const std::vector<std::uint16_t>* rows = support != nullptr ? memo_rows(memo, method) : nullptr;
  if (rows == nullptr)
    rows = small_cover_rows(f, method, print_support_scratch, support, memo, columns);
  if (rows != nullptr) {
    // The literals of each row, in index order, as the products would give.
    if (rows->empty()) {
      add(text, '0');
      return;
    }
    for (std::size_t i = 0; i < rows->size(); ++i) {
      if (i > 0) add(text, or_sep);
      const std::uint16_t row = (*rows)[i];
      if (row == 0) add(text, '1');
      bool first = true;
      for (std::size_t p = 0; p < columns->size(); ++p) {
        const bool positive = (row >> p) & 1u;
        const bool negative = (row >> (p + 8)) & 1u;
        if (!positive && !negative) continue;
        if (!first) add(text, and_sep);
        first = false;
        if (negative) add(text, not_before);
        add(text, prefix);
        add(text, Name_var_by_index((*columns)[p]));
        add(text, suffix);
        if (negative) add(text, not_after);
      }
    }
    return;
  }
  product_list products(this, f, method);
  if (products.size() == 0) {
    add(text, '0');
    return;
  }
  for (long i = 0; i < products.size(); ++i) {
    if (i > 0) add(text, or_sep);
    append_product(text, and_sep, not_before, not_after, products[i], prefix, suffix);
  }
}

std::string bddpp_manager::Print_product_to_String_pref_suff(const char* and_sep,
                                                             const char* not_before,
                                                             const char* not_after, bdd product,
                                                             const char* prefix,
                                                             const char* suffix) {
  std::string text;
  append_product(text, and_sep, not_before, not_after, product, prefix, suffix);
  return text;
}

std::string bddpp_manager::Print_product_to_String(const char* and_sep, const char* not_before,
                                                   const char* not_after, bdd product) {
  return Print_product_to_String_pref_suff(and_sep, not_before, not_after, product, "", "");
}

void bddpp_manager::Print_product_pref_suff(const char* and_sep, const char* not_before,
                                            const char* not_after, std::ostream& out, bdd product,
                                            const char* prefix, const char* suffix) {
  out << Print_product_to_String_pref_suff(and_sep, not_before, not_after, product, prefix, suffix);
}

void bddpp_manager::Print_product(const char* and_sep, const char* not_before,
                                  const char* not_after, std::ostream& out, bdd product) {
  Print_product_pref_suff(and_sep, not_before, not_after, out, product, "", "");
}

std::string bddpp_manager::Print_sop_to_String_pref_suff(const char* or_sep, const char* and_sep,
                                                         const char* not_before,
                                                         const char* not_after, bdd f,
                                                         const char* prefix, const char* suffix,
                                                         int method) {
  std::string text;
  append_sop(text, or_sep, and_sep, not_before, not_after, f, prefix, suffix, method);
  return text;
}

std::string bddpp_manager::Print_sop_to_String(const char* or_sep, const char* and_sep,
                                               const char* not_before, const char* not_after, bdd f,
                                               int method) {
  return Print_sop_to_String_pref_suff(or_sep, and_sep, not_before, not_after, f, "", "", method);
}

void bddpp_manager::Print_sop_pref_suff(const char* or_sep, const char* and_sep,
                                        const char* not_before, const char* not_after,
                                        std::ostream& out, bdd f, const char* prefix,
                                        const char* suffix, int method) {
  out << Print_sop_to_String_pref_suff(or_sep, and_sep, not_before, not_after, f, prefix, suffix,
                                       method);
}

void bddpp_manager::Print_sop(const char* or_sep, const char* and_sep, const char* not_before,
                              const char* not_after, std::ostream& out, bdd f, int method) {
  Print_sop_pref_suff(or_sep, and_sep, not_before, not_after, out, f, "", "", method);
}

void bddpp_manager::Append_sop(tessaro::chunked_buffer& out, const char* or_sep,
                               const char* and_sep, const char* not_before, const char* not_after,
                               bdd f, int method, const std::vector<long>* support,
                               bddpp_cover_memo* memo) {
  append_sop(out, or_sep, and_sep, not_before, not_after, f, "", "", method, support, memo);
}

void bddpp_manager::PLA_print_pref_suff(std::ostream& out, bdd var, bdd f, const char* prefix,
                                        const char* suffix, const char* head, const char* head_end,
                                        const char* row_sep, const char* last_end,
                                        const char* column_sep, int method,
                                        const std::vector<long>* support, bddpp_cover_memo* memo) {
  const std::string& output = Name_var_by_bdd(var);
  const std::vector<long>* found_columns = support;
  const std::vector<std::uint16_t>* rows = support != nullptr ? memo_rows(memo, method) : nullptr;
  if (rows == nullptr)
    rows = small_cover_rows(f, method, column_scratch, support, memo, found_columns);
  const std::vector<long>& columns = *found_columns;
  std::optional<product_list> products;
  if (rows == nullptr) products.emplace(this, f, method);
  const long count = rows != nullptr ? static_cast<long>(rows->size()) : products->size();
  if (count > kBddppMaxProducts - 1) {
    std::cerr << "internal error in void bdd_manager::PLA_print...(ostream &, bdd)" << std::endl;
    std::cerr << " product term number exceded limit" << std::endl;
    bddpp_stop_at_limit("products", kBddppMaxProducts - 1);
  }
  // The cover is built whole in the reused room, then written at once.
  tessaro::text_buffer& text = cover_text;
  text.clear();
  if (rows != nullptr && !columns.empty()) {
    append_small_cover(text, {prefix, suffix, head, head_end, row_sep, last_end, column_sep},
                       output, columns, *rows);
    text.write_to(out);
    return;
  }
  text.append(head);
  for (long i : columns) {
    text.append(prefix);
    text.append(Name_var_by_index(i));
    text.append(suffix);
    text.append(' ');
  }
  text.append(prefix);
  text.append(output);
  text.append(suffix);
  text.append(head_end);
  if (!columns.empty()) {
    const std::size_t sep_size = std::strlen(column_sep);
    const std::size_t row_sep_size = std::strlen(row_sep);
    const std::size_t last_end_size = std::strlen(last_end);
    for (long p = 0; p < count; ++p) {
      append_row(text, columns, (*products)[p], column_sep, sep_size);
      text.append(" 1", 2);
      if (p + 1 == count)
        text.append(last_end, last_end_size);
      else
        text.append(row_sep, row_sep_size);
    }
  } else {
    text.append(Bdd_is_tautology(f, 0) ? '0' : '1');
    text.append(last_end);
  }
  text.write_to(out);
}

void bddpp_manager::append_small_cover(tessaro::text_buffer& text, const pla_layout& layout,
                                       const std::string& output, const std::vector<long>& columns,
                                       const std::vector<std::uint16_t>& rows) {
  // Every piece's length is known: the text is sized once, then stored.
  const piece prefix = piece_of(layout.prefix), suffix = piece_of(layout.suffix);
  const piece head = piece_of(layout.head), head_end = piece_of(layout.head_end);
  const piece row_sep = piece_of(layout.row_sep), last_end = piece_of(layout.last_end);
  const piece column_sep = piece_of(layout.column_sep);
  const std::string* names[kSmallCoverVars];
  std::size_t size = head.size + prefix.size + output.size() + suffix.size + head_end.size;
  for (std::size_t c = 0; c < columns.size(); ++c) {
    names[c] = &Name_var_by_index(columns[c]);
    size += prefix.size + names[c]->size() + suffix.size + 1;
  }
  const std::size_t row_size = columns.size() * (1 + column_sep.size) + 2;
  size += rows.size() * (row_size + std::max(row_sep.size, last_end.size));
  char* const start = text.room(size);
  char* at = put(start, head);
  for (std::size_t c = 0; c < columns.size(); ++c) {
    at = put(at, prefix);
    at = put(at, *names[c]);
    at = put(at, suffix);
    *at++ = ' ';
  }
  at = put(at, prefix);
  at = put(at, output);
  at = put(at, suffix);
  at = put(at, head_end);
  for (std::size_t p = 0; p < rows.size(); ++p) {
    // Bit c of a row is the positive literal of column c, bit c + 8 the
    // negative one.
    const std::uint16_t row = rows[p];
    for (std::size_t c = 0; c < columns.size(); ++c) {
      *at++ = (row >> c) & 1u ? '1' : (row >> (c + 8)) & 1u ? '0' : '-';
      at = put(at, column_sep);
    }
    *at++ = ' ';
    *at++ = '1';
    at = put(at, p + 1 == rows.size() ? last_end : row_sep);
  }
  text.extend(static_cast<std::size_t>(at - start));
}

void bddpp_manager::append_row(tessaro::text_buffer& text, const std::vector<long>& columns,
                               bdd product, const char* column_sep, std::size_t sep_size) {
  // Both lists are in index order: one merge gives the row.
  std::vector<std::pair<long, int>>& literals = literal_scratch;
  literals.clear();
  walk_product(product, literals);
  auto literal = literals.begin();
  text.reserve(columns.size() * (1 + sep_size));
  for (long i : columns) {
    while (literal != literals.end() && literal->first < i)
      ++literal;
    if (literal != literals.end() && literal->first == i)
      text.append(literal->second == 0 ? '0' : '1');
    else
      text.append('-');
    text.append(column_sep, sep_size);
  }
}

void bddpp_manager::BLIF_print(std::ostream& out, bdd var, bdd f, int method,
                               const std::vector<long>* support, bddpp_cover_memo* memo) {
  PLA_print_pref_suff(out, var, f, "", "", ".names  ", "\n", "\n", "\n", "", method, support, memo);
}
