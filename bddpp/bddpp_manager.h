// Manager layer over one BDD engine instance.
//
// A bddpp_manager owns one engine, names every engine variable and keeps the
// names in variable-order (index) order. It translates between names, indexes
// (position in the order, 0 on top) and ids (order of creation; the manager
// counts from 0, the engine from 1). Boolean operations forward to the engine.
//
// Reference convention: combining operations return a new reference that the
// caller releases with Bdd_free. Constants and variables are permanent, so the
// handles from Bdd_zero, Bdd_one, Bdd_var_by_*, New_var_* are borrowed;
// releasing one anyway is harmless.
//
// The same class turns functions into sums of products (bddpp_sop.cpp,
// bddpp_tdd.cpp) and prints products, sums and BLIF covers (bddpp_print.cpp).
#pragma once

#include <cstdint>
#include <cstdio>
#include <ostream>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "bdd/bdd.h"
#include "bddpp/name_index.h"
#include "support/chunked_output.h"
#include "support/text_buffer.h"

// Size of the product arrays the printers allocate; the prime-implicant search
// stops the program before it would hold more implicants than this.
constexpr int kBddppMaxProducts = 50000;

class bddpp_manager;
struct bddpp_small_cover;

// What a manager found of the cover of one function over its support, kept
// by a holder of the function that knows the function is still the same: the
// function's truth table over the support, and the covers by method already
// found for that table. A cover written twice (by one method or another) is
// then found from the table without a second walk (bddpp_cover_cache.cpp).
struct bddpp_cover_memo {
  const bddpp_manager* man = nullptr;
  std::uint64_t table = 0;
  bddpp_small_cover* covers = nullptr;
};

// The covers of one truth table by method (0, 1, 2), in rows: bit p is the
// positive literal of the variable at support position p, bit p + 8 the
// negative one. Bit m of `found` tells that rows[m] is known.
struct bddpp_small_cover {
  std::vector<std::uint16_t> rows[3];
  unsigned found = 0;
};

class bddpp_manager {
 public:
  // Functions of at most this many variables have their covers reused.
  static constexpr int kSmallCoverVars = 6;

  bddpp_manager();
  ~bddpp_manager();
  bddpp_manager(const bddpp_manager&) = delete;
  bddpp_manager& operator=(const bddpp_manager&) = delete;

  // ---- Named variables (bddpp_manager.cpp) ----
  // Each returns the variable of that name, creating it when absent (borrowed).
  bdd New_var_last(const std::string& name);
  bdd New_var_before(bdd v, const std::string& name);
  bdd New_var_after(bdd v, const std::string& name);

  // Room for `count` named variables in all, made before they are created
  // one by one (their order and ids are unchanged).
  void Reserve_vars(long count);

  // Null / -1 when no variable has that name.
  bdd Bdd_var_by_name(const std::string& name) const;
  long Index_var_by_name(const std::string& name) const;
  long Id_var_by_name(const std::string& name) const;

  // Names are returned by reference: valid until the variable is renamed.
  const std::string& Name_var_by_index(long index) const;
  const std::string& Name_var_by_id(long id) const;
  // Name of f's top variable; "1" / "0" for the constants; fatal otherwise.
  const std::string& Name_var_by_bdd(bdd f) const;

  // Gives the variable named old_name the name new_name (warnings on failure).
  void Rename_var(const std::string& new_name, const std::string& old_name);
  // Puts "v" in front of every name that begins with "_".
  void No_begin_underscore_name();

  // ---- Boolean operations and queries (bddpp_ops.cpp) ----
  bdd Bdd_ite(bdd f, bdd g, bdd h);
  // Variable `index` ? t : e (one node when that variable is above both).
  bdd Bdd_var_ite(long index, bdd t, bdd e);
  bdd Bdd_and(bdd f, bdd g);
  bdd Bdd_nand(bdd f, bdd g);
  bdd Bdd_or(bdd f, bdd g);
  bdd Bdd_nor(bdd f, bdd g);
  bdd Bdd_xor(bdd f, bdd g);
  bdd Bdd_xnor(bdd f, bdd g);
  bdd Bdd_eq(bdd f, bdd g);
  bdd Bdd_implication(bdd f, bdd g);
  bdd Bdd_not(bdd f);
  bdd Bdd_dup(bdd f);
  // f with the variable v replaced by g.
  bdd Bdd_compose(bdd f, bdd v, bdd g);
  // f restricted to the care set (agrees with f wherever care holds).
  bdd Bdd_reduce(bdd f, bdd care);
  bdd Bdd_then(bdd f);
  bdd Bdd_else(bdd f);
  bdd Bdd_if(bdd f);
  void Bdd_free(bdd f);
  bdd Bdd_zero() const;
  bdd Bdd_one() const;
  bdd Bdd_var_by_index(long index) const;
  bdd Bdd_var_by_id(long id) const;
  // Index of f's top variable; -1 for a constant.
  long Bdd_if_index(bdd f) const;
  long Index_var_by_bdd(bdd f) const;
  // Manager id (engine id - 1) of f's top variable; -1 for a constant.
  long Bdd_if_id(bdd f) const;
  long Id_var_by_bdd(bdd f) const;
  long Nb_bdd_vars() const;
  // Grows whenever existing variables change index (bdd_order_changes).
  long Order_changes() const;
  // v non-zero: f is the constant one; v zero: f is the constant zero.
  bool Bdd_is_tautology(bdd f, int v) const;
  // f is a constant or a single literal.
  bool Bdd_is_terminal(bdd f) const;
  bool Bdd_is_var(bdd f) const;
  // f is the negation of a variable.
  bool Bdd_is_neg_var(bdd f) const;
  // f and g have no common satisfying assignment.
  bool Bdds_excl(bdd f, bdd g);
  bool Bdds_exclude(bdd f, bdd g);
  bool Bdd_equiv(bdd f, bdd g);
  // f implies g.
  bool Bdd_imply(bdd f, bdd g);
  // v one: one; v zero: zero; otherwise f with v quantified away existentially.
  bdd Bdd_extract(bdd f, bdd v);
  // f with the variable of index i replaced by the variable of index map[i];
  // null, with a message, when a variable f reads maps outside the manager.
  bdd Bdd_replace_vars(bdd f, const int* map);
  bdd Bdd_simplify(bdd f, bdd care);
  bdd Bdd_simplify2(bdd f, bdd care);
  void Bdd_gc();
  long Bdd_total_size() const;
  void Bdd_stats(std::FILE* out) const;
  // Dumps the node structure of f with the variables' names.
  void Print_bdd_structure(std::FILE* out, bdd f);

  // ---- Sums of products (bddpp_sop.cpp, bddpp_primes.cpp, bddpp_tdd.cpp) ----
  // Method 1 runs Bdd_sop_1, 2 Bdd_sop_2, anything else Bdd_sop_0; writes new
  // references into out (room for kBddppMaxProducts) and returns their number.
  // Methods 0 and 1 end the program rather than pass that room.
  int Bdd_sop(bdd f, bdd* out, int method);
  // The same products into `out` (emptied first), without a bound on methods
  // 0 and 1; method 2 keeps the prime limit.
  int Bdd_sop(bdd f, std::vector<bdd>& out, int method);
  int Bdd_sop_0(bdd f, bdd* out);
  int Bdd_sop_0(bdd f, std::vector<bdd>& out);
  int Bdd_sop_1(bdd f, bdd* out);
  int Bdd_sop_1(bdd f, std::vector<bdd>& out);
  int Bdd_sop_2(bdd f, bdd* out);
  // The primes in the order of the implicant tree walk (prime_search.h);
  // ends the program when there are more than kBddppMaxProducts.
  int Bdd_prime_implicants(bdd f, bdd* out);
  void Bdd_essential_implicants(bdd f, int& n_essential, bdd* essential, int& n_other, bdd* other);
  // Indexes of the variables f depends on, ascending; one walk of f.
  std::vector<long> Support_indexes(bdd f);
  // The same into `indexes`, whose room is reused.
  void Support_indexes(bdd f, std::vector<long>& indexes);
  // When `product` is a product of literals implying f: replaces it by the
  // product without each literal, in index order, whose removal keeps it
  // inside f, in time linear in the size of f (cube_widening.cpp); false,
  // with `product` unchanged, for anything else.
  bool Widen_cube(bdd f, bdd& product);
  // (index, 1 positive / 0 negative) of each literal of a product, by index.
  std::vector<std::pair<long, int>> Product_literals(bdd product);
  // Product_literals of f when f is a product of literals (one is the empty
  // product); false, with `literals` unspecified, for any other function.
  bool Cube_literals(bdd f, std::vector<std::pair<long, int>>& literals);
  // presence[i] = 1 when f depends on the variable of index i.
  void Present_variables(bdd f, int* presence);
  // literals[i]: 1 positive, 0 negative, 2 absent.
  void Bdd_to_literals(bdd product, int* literals);
  bdd Literals_to_bdd(const int* literals);
  // Product of vars[i] (bit i of n set) or its negation; zero when n < 0.
  bdd Minterm(int n, int count, const bdd* vars);
  // f restricted to the product of the literals.
  bdd Bdd_eval(bdd f, const int* literals);
  // out[n] is '1', '0' or '?' for f under Minterm(n, count, vars).
  void Truth_table(bdd f, int count, const bdd* vars, char* out);

  // ---- Covers past the prime limit (bddpp_wide_cover.cpp) ----
  // For a writer that must write every cover (tessaro-merge) instead of
  // stopping at the prime limit as tessaro does. A typical use, per signal:
  //     switch (man->BLIF_print_wide(out, var, f)) {
  //       case bddpp_manager::wide_cover::primes: break;       // as tessaro
  //       case bddpp_manager::wide_cover::irredundant: warn;   // name the signal
  //       case bddpp_manager::wide_cover::too_large: refuse;   // nothing written
  //     }
  // with the texts of Wide_cover_message.
  // None of these ends the program (except on the null handle, as Bdd_sop).

  // Most products of one cover on that path: parity of 40 inputs has 2^39
  // primes and no smaller cover, and is refused rather than printed.
  static constexpr long kMaxWideCoverProducts = 2000000;
  enum class wide_cover {
    primes,       // the method-2 cover, the same products as Bdd_sop(f, out, 2)
    irredundant,  // more than kBddppMaxProducts primes: Bdd_irredundant_primes
    too_large     // more than kMaxWideCoverProducts products; nothing given
  };
  // An exact irredundant cover of f by prime implicants, found without
  // listing all primes: the Minato-Morreale sum of f (irredundant_cover.h),
  // each product widened to a prime (literals dropped in index order while
  // the product implies f), then, in order, each product that the others
  // cover dropped. False, with `out` empty, when the sum has more than
  // `max_products` products. The constant zero gives no product, the
  // constant one the product one.
  bool Bdd_irredundant_primes(bdd f, std::vector<bdd>& out,
                              long max_products = kMaxWideCoverProducts);
  // The products of the cover of f such a writer prints (new references,
  // `out` emptied first): Bdd_sop(f, out, 2) when f has at most
  // kBddppMaxProducts primes, otherwise Bdd_irredundant_primes.
  wide_cover Bdd_sop_wide(bdd f, std::vector<bdd>& out);
  // BLIF_print(out, var, f, 2) for such a writer: the cover of Bdd_sop_wide
  // with any number of rows (no row limit); writes nothing when too_large.
  wide_cover BLIF_print_wide(std::ostream& out, bdd var, bdd f);
  // The line such a writer gives for signal `signal` when BLIF_print_wide
  // returned `kind` (irredundant: a warning; too_large: the refusal), without
  // a line end; empty for primes.
  static std::string Wide_cover_message(wide_cover kind, const std::string& signal);

  // ---- Printers (bddpp_print.cpp) ----
  std::string Print_product_to_String_pref_suff(const char* and_sep, const char* not_before,
                                                const char* not_after, bdd product,
                                                const char* prefix, const char* suffix);
  std::string Print_product_to_String(const char* and_sep, const char* not_before,
                                      const char* not_after, bdd product);
  void Print_product_pref_suff(const char* and_sep, const char* not_before, const char* not_after,
                               std::ostream& out, bdd product, const char* prefix,
                               const char* suffix);
  void Print_product(const char* and_sep, const char* not_before, const char* not_after,
                     std::ostream& out, bdd product);
  std::string Print_sop_to_String_pref_suff(const char* or_sep, const char* and_sep,
                                            const char* not_before, const char* not_after, bdd f,
                                            const char* prefix, const char* suffix, int method);
  std::string Print_sop_to_String(const char* or_sep, const char* and_sep, const char* not_before,
                                  const char* not_after, bdd f, int method);
  void Print_sop_pref_suff(const char* or_sep, const char* and_sep, const char* not_before,
                           const char* not_after, std::ostream& out, bdd f, const char* prefix,
                           const char* suffix, int method);
  void Print_sop(const char* or_sep, const char* and_sep, const char* not_before,
                 const char* not_after, std::ostream& out, bdd f, int method);
  // The text of Print_sop_to_String appended in place to `out`; `support`,
  // when not null, is f's support (ascending indexes), known to the caller,
  // and `memo`, when not null, the cover found for f with that support by an
  // earlier call, or the room to keep the one found now.
  void Append_sop(tessaro::chunked_buffer& out, const char* or_sep, const char* and_sep,
                  const char* not_before, const char* not_after, bdd f, int method,
                  const std::vector<long>* support = nullptr, bddpp_cover_memo* memo = nullptr);
  // Writes the cover of the equation var = f; `support` and `memo` as for
  // Append_sop.
  void PLA_print_pref_suff(std::ostream& out, bdd var, bdd f, const char* prefix,
                           const char* suffix, const char* head, const char* head_end,
                           const char* row_sep, const char* last_end, const char* column_sep,
                           int method, const std::vector<long>* support = nullptr,
                           bddpp_cover_memo* memo = nullptr);
  // PLA_print_pref_suff with the BLIF ".names" layout.
  void BLIF_print(std::ostream& out, bdd var, bdd f, int method,
                  const std::vector<long>* support = nullptr, bddpp_cover_memo* memo = nullptr);

  // ---- Reordering (bddpp_reorder.cpp) ----
  // Selects the stable window-3 method as the engine's dynamic reordering
  // method and reorders once. Names follow their variables.
  void Bdd_var_reorder();

  // The engine instance, for the engine's users below this layer.
  bdd_manager engine() const { return internal_man; }

 private:
  // A handle as the streams print a pointer (the null handle prints as 0).
  static const void* handle_address(bdd f);
  // Records the name of a variable the engine has just created, entered in
  // the index at `place` (found free for that name).
  bdd register_var(bdd var, const std::string& name, const name_index::place& place);
  // The variable named `name`; when there is none, the one `make()` has the
  // engine create, named so.
  template <class Make>
  bdd named_var(const std::string& name, Make make);
  // Appends the literals along the nonzero branches of `product`; true when
  // it is a product of literals.
  bool walk_product(bdd product, std::vector<std::pair<long, int>>& literals);
  // The separators of a cover in PLA layout (PLA_print_pref_suff).
  struct pla_layout {
    const char* prefix;
    const char* suffix;
    const char* head;
    const char* head_end;
    const char* row_sep;
    const char* last_end;
    const char* column_sep;
  };
  // Appends the cover of `rows` (small_cover_rows) over `columns`, not
  // empty, for the output named `output`.
  void append_small_cover(tessaro::text_buffer& text, const pla_layout& layout,
                          const std::string& output, const std::vector<long>& columns,
                          const std::vector<std::uint16_t>& rows);
  // Appends the characters of the BLIF row of `product` over `columns`
  // (ascending indexes), each followed by column_sep.
  void append_row(tessaro::text_buffer& text, const std::vector<long>& columns, bdd product,
                  const char* column_sep, std::size_t sep_size);
  // Appends the text of a product to `text` (Print_product_to_String_pref_suff),
  // a std::string or a chunked_buffer (bddpp_print.cpp).
  template <class Text>
  void append_product(Text& text, const char* and_sep, const char* not_before,
                      const char* not_after, bdd product, const char* prefix, const char* suffix);
  // Appends the text of Print_sop_to_String_pref_suff to `text`, likewise.
  template <class Text>
  void append_sop(Text& text, const char* or_sep, const char* and_sep, const char* not_before,
                  const char* not_after, bdd f, const char* prefix, const char* suffix, int method,
                  const std::vector<long>* support = nullptr, bddpp_cover_memo* memo = nullptr);
  // Bdd_replace_vars once the map is checked.
  bdd replace_vars(bdd f, const int* map);
  // The fatal end of Bdd_sop given the null handle.
  [[noreturn]] static void null_function();
  // Method 0 appended to `out`; ends the program past `limit` products
  // (none when negative).
  void satisfying_cubes(bdd f, std::vector<bdd>& out, long limit);
  // Method 1 appended to `out`, with the same limit.
  void irredundant_cubes(bdd f, std::vector<bdd>& out, long limit);
  // Each product of f widened by dropping, in index order, every literal it
  // can lose and still imply f.
  void expand_products(bdd f, std::vector<bdd>& products);
  // Products deeper than this are widened by Widen_cube.
  static constexpr int kWideCubeLiterals = 16;
  // Whether the path of f along its branches that are not zero passes
  // `levels` variables.
  bool deeper_than(bdd f, int levels);
  // Moves the primes of f into the essential and the other ones, in order.
  void split_essential(bdd f, const bdd* primes, int count, int& n_essential, bdd* essential,
                       int& n_other, bdd* other);
  // Method 2 from the split primes; takes over their references.
  int complete_cover(bdd f, const bdd* essential, int n_essential, const bdd* other, int n_other,
                     bdd* out);
  // The primes of f (f not null) as Bdd_prime_implicants gives them; -1,
  // with nothing written, when there are more than `limit`.
  int primes_within(bdd f, bdd* out, int limit);
  // Bdd_sop of f through the cover cache; -1 when f is a constant or has
  // more than kSmallCoverVars variables (bddpp_cover_cache.cpp).
  int small_cover(bdd f, bdd* out, int method);
  // The cover of f by `method` as rows over `support`, computed once per
  // truth table; null when f is a constant or has more than kSmallCoverVars
  // variables. `support` is f's support in every case.
  const std::vector<std::uint16_t>* small_cover_rows(bdd f, int method, std::vector<long>& support);
  // The same, with f's support `known` when not null, and f's truth table
  // and covers taken from or kept in `memo` when not null (then `known` is
  // not null either). `columns` is set to the support the rows are over:
  // `known` when not null, otherwise `support`.
  const std::vector<std::uint16_t>* small_cover_rows(bdd f, int method, std::vector<long>& support,
                                                     const std::vector<long>* known,
                                                     bddpp_cover_memo* memo,
                                                     const std::vector<long>*& columns);
  // The rows `memo` holds for `method`, when it is this manager's memo and
  // holds them; null otherwise.
  const std::vector<std::uint16_t>* memo_rows(const bddpp_cover_memo* memo, int method) const {
    if (memo == nullptr || memo->man != this || memo->covers == nullptr) return nullptr;
    const int m = method == 1 || method == 2 ? method : 0;
    return (memo->covers->found >> m) & 1u ? &memo->covers->rows[m] : nullptr;
  }
  // The same when `support` holds f's support already.
  const std::vector<std::uint16_t>* small_cover_rows_over(bdd f, int method,
                                                          std::vector<long>& support);
  // Whether f is a function of 1 to kSmallCoverVars variables over
  // `support` (its support), with `table` its truth table over them; false
  // on the reference paths.
  bool small_truth_table(bdd f, const std::vector<long>& support, std::uint64_t& table) const;
  // The same once f's truth table over `support` is known: `covers`, when
  // not null, the entry of that table, which is set when the rows are kept.
  // The methods may write over `support` when they find the rows: `restore`,
  // when not null, gets it back after them.
  const std::vector<std::uint16_t>* small_cover_rows_of(bdd f, int method,
                                                        const std::vector<long>& support,
                                                        std::uint64_t table,
                                                        bddpp_small_cover*& covers,
                                                        std::vector<long>* restore);
  // The rows of small_cover_rows_of when `covers` lacks them: computed by
  // the method, then kept when they are over `support`.
  const std::vector<std::uint16_t>* compute_small_cover(bdd f, int m,
                                                        const std::vector<long>& support,
                                                        std::uint64_t table,
                                                        bddpp_small_cover*& covers,
                                                        std::vector<long>* restore);

  bdd_manager internal_man;
  // Room for the engine's support walk (variable indexes), kept between calls.
  std::vector<std::uint32_t> support_scratch;
  // Rooms reused by the printers (columns of a cover, literals of a
  // product) and by the cover cache (support and literals of a function).
  std::vector<long> column_scratch;
  std::vector<long> print_support_scratch;
  std::vector<std::pair<long, int>> literal_scratch;
  // The text of the cover PLA_print_pref_suff writes.
  tessaro::text_buffer cover_text;
  std::vector<long> cover_support_scratch;
  std::vector<std::pair<long, int>> cover_literal_scratch;
  // The name table is kept by manager id, so it stays aligned with the
  // variables whatever their order: the name at index i is the name of the
  // id the engine places at index i. The hash map gives lookups by name in
  // constant time.
  std::vector<std::string> names_by_id;
  std::vector<bdd> assoc_by_id;
  name_index id_by_name{&names_by_id};
  // Covers already computed, by support size and truth table.
  std::unordered_map<std::uint64_t, bddpp_small_cover> small_covers[kSmallCoverVars + 1];
};

// Ternary decision tree of a function: each inner node splits on its top
// variable into the positive and negative cofactors and their conjunction.
class Tdd {
 public:
  Tdd(bddpp_manager* man, bdd f);
  ~Tdd();
  Tdd(const Tdd&) = delete;
  Tdd& operator=(const Tdd&) = delete;

  // Collects the implicants along the paths below this node into out, after
  // the count already there; returns the new count.
  int Bdd_implicants_loc(bdd cube, int count, bdd* out);
  // The prime implicants in discovery order; returns their number.
  int Bdd_prime_implicants(bdd* out);

 private:
  struct Walk;
  // The implicant walk of Bdd_prime_implicants with the products kept as
  // literal masks, so that the containment tests cost no engine operation.
  void implicants_walk(Walk& w) const;
  // Adds the manager id of every inner node's variable to `seen`.
  void collect_vars(std::unordered_map<long, long>& seen) const;

  bddpp_manager* pbddman;
  bdd node_var = 0;
  Tdd* positive_son = nullptr;
  Tdd* negative_son = nullptr;
  Tdd* dontcare_son = nullptr;
};
