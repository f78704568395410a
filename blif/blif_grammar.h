// LALR(1) tables of the BLIF grammar: its rules with their trace texts, and
// per state the shifts, the gotos and the default reduction.
//
// Terminals are named by their token codes (0 is the end of input). A state
// with a default reduction takes it for every lookahead it cannot shift, so
// syntax errors are found only in states without one; a state that only
// reduces does so without looking at the next token. The grammar is written
// out in tests/grammar/blif.y, against which the grammar tests check every
// entry of these tables.
#pragma once

// Nonterminals, numbered as in the trace lines.
enum class blif_nt : int {
  boolean_automaton = 1,
  nom_declaration,
  input_declarations,
  output_declarations,
  ident_list,
  ident,
  equations_list,
  equation,
  equation_latch,
  equation_bool,
  declaration_bool,
  next_var,
  actual_var,
  initial_value,
  prod_list,
  prod,
  value_list,
  value,
  nom_circuit
};

// Nonterminals counted from 1, as the trace lines count them.
constexpr int kBlifNonterminalCount = 19;
static_assert(static_cast<int>(blif_nt::nom_circuit) == kBlifNonterminalCount,
              "kBlifNonterminalCount counts blif_nt");

// Rules, numbered as the tables number them and as tests/grammar/blif.y
// writes them; rule 0 is the augmented start rule, whose reduction means
// acceptance. `none` stands for "no default reduction".
enum class blif_rule_id : int {
  none = -1,
  accept = 0,         // $accept: boolean_automaton $end
  boolean_automaton,  // nom_declaration input_declarations output_declarations
                      //   equations_list TOKEN_end
  nom_declaration,    // TOKEN_model nom_circuit
  inputs_empty,       // input_declarations: (empty)
  inputs_list,        // input_declarations: TOKEN_inputs ident_list
  outputs_empty,      // output_declarations: (empty)
  outputs_list,       // output_declarations: TOKEN_outputs ident_list
  ident_list_first,   // ident_list: ident
  ident_list_append,  // ident_list: ident_list ident
  ident,              // TOKEN_ident
  equations_empty,    // equations_list: (empty)
  equations_append,   // equations_list: equations_list equation
  equation_of_latch,  // equation: equation_latch
  equation_of_table,  // equation: equation_bool
  latch,              // equation_latch: TOKEN_latch next_var actual_var initial_value
  table,              // equation_bool: declaration_bool TOKEN_NL prod_list TOKEN_NL
  declaration_bool,   // TOKEN_names ident_list
  next_var,           // ident
  actual_var,         // ident
  initial_zero,       // initial_value: TOKEN_ZERO
  initial_one,        // initial_value: TOKEN_ONE
  prod_list_first,    // prod_list: prod
  prod_list_append,   // prod_list: prod_list TOKEN_NL prod
  prod,               // value_list
  value_list_first,   // value_list: value
  value_list_append,  // value_list: value_list value
  value_zero,         // value: TOKEN_ZERO
  value_one,          // value: TOKEN_ONE
  value_indif,        // value: TOKEN_indif
  nom_circuit,        // ident
};
constexpr int kBlifRuleCount = 30;

// One rule: its name, its left member, the length of its right member and
// its trace line "n[,k] --> text" (a null text stands for the identifier's
// own text).
struct blif_rule {
  blif_rule_id id;
  blif_nt lhs;
  int length;
  int n;
  int k;
  const char* text;
};

constexpr int kBlifStateCount = 43;
constexpr int kBlifNoToken = -2;

// The rule numbered `rule` (not `none`).
const blif_rule& blif_rule_at(blif_rule_id rule);

// Target state of shifting `token` in `state`, or 0 when the state does not
// shift it (no shift ever leads back to the start state).
int blif_shift_target(int state, int token);
// State entered after reducing to `symbol` with `state` on top of the stack.
int blif_goto_target(int state, blif_nt symbol);
// Rule reduced when no shift applies, or blif_rule_id::none.
blif_rule_id blif_default_rule(int state);
// True when the state needs the next token to choose its action.
bool blif_needs_lookahead(int state);
// Tokens the state shifts, in code order; returns how many (at most `max`).
int blif_shifted_tokens(int state, int* tokens, int max);

// Every lookup of the parse loop as one array access, derived once from the
// tables: the shift targets by state and token column (blif_token_column),
// the gotos by state and nonterminal, and per state its default rule and
// whether it needs a lookahead, and per rule the length of its right member
// and its left member; 0 stands for "no shift" and "no goto". The loops are
// found in the tables too (see blif_loop).
constexpr int kBlifTokenColumns = 13;
// A loop of the parse: the state shifts the token, reduces it at once by
// `member` (a rule of one symbol) and then the symbol under it with the
// result by `extend` (a rule of two, whose left member is the symbol that
// entered the state), which leaves the state and the depth as they were.
// These are the lists of identifiers and of values. `member` is `none` when
// the token starts no loop.
struct blif_loop {
  blif_rule_id member = blif_rule_id::none;
  blif_rule_id extend = blif_rule_id::none;
};
struct blif_lookups {
  signed char shift[kBlifStateCount][kBlifTokenColumns];
  signed char go_to[kBlifStateCount][kBlifNonterminalCount + 1];
  blif_rule_id default_rule[kBlifStateCount];
  bool needs_lookahead[kBlifStateCount];
  signed char rule_length[kBlifRuleCount];
  blif_nt rule_lhs[kBlifRuleCount];
  blif_loop loop[kBlifStateCount][kBlifTokenColumns];
};
const blif_lookups& blif_parse_lookups();

// Column of a token code in blif_lookups::shift: 0 for the end of input, 1
// to 11 for the scanner's tokens, 12 for every code the grammar never
// shifts.
inline int blif_token_column(int token) {
  if (token == 0) return 0;
  const unsigned column = static_cast<unsigned>(token) - 257u;
  return column >= 1u && column <= 11u ? static_cast<int>(column) : 12;
}

// Name of a token code in syntax error messages: "$end", "TOKEN_NL"...,
// "error" for 256, "$undefined" for any code the grammar does not know.
const char* blif_token_name(int token);
