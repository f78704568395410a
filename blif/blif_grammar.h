// LALR(1) tables of the BLIF grammar: its rules with their trace texts, and
// per state the shifts, the gotos and the default reduction.
//
// Terminals are named by their token codes (0 is the end of input). A state
// with a default reduction takes it for every lookahead it cannot shift, so
// syntax errors are found only in states without one; a state that only
// reduces does so without looking at the next token.
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

// One rule: its left member, the length of its right member and its trace
// line "n[,k] --> text" (a null text stands for the identifier's own text).
struct blif_rule {
  blif_nt lhs;
  int length;
  int n;
  int k;
  const char* text;
};

// Rule 0 is the augmented start rule; reducing it means acceptance.
constexpr int kBlifRuleCount = 30;
constexpr int kBlifAcceptRule = 0;
constexpr int kBlifStateCount = 43;
constexpr int kBlifNoDefault = -1;
constexpr int kBlifNoToken = -2;

const blif_rule& blif_rule_at(int rule);

// Target state of shifting `token` in `state`, or 0 when the state does not
// shift it (no shift ever leads back to the start state).
int blif_shift_target(int state, int token);
// State entered after reducing to `symbol` with `state` on top of the stack.
int blif_goto_target(int state, blif_nt symbol);
// Rule reduced when no shift applies, or kBlifNoDefault.
int blif_default_rule(int state);
// True when the state needs the next token to choose its action.
bool blif_needs_lookahead(int state);
// Tokens the state shifts, in code order; returns how many (at most `max`).
int blif_shifted_tokens(int state, int* tokens, int max);

// Name of a token code in syntax error messages: "$end", "TOKEN_NL"...,
// "error" for 256, "$undefined" for any code the grammar does not know.
const char* blif_token_name(int token);
