// Writes the parser tables of blif/blif_grammar.cpp as text, read through the
// functions the parser driver uses, for tests/grammar/check_tables.py:
//   terminal CODE NAME
//   nonterminal NAME
//   rule NUMBER LHS LENGTH
//   state NUMBER DEFAULT_RULE NEEDS_LOOKAHEAD   (-1: no default reduction)
//   shift STATE TOKEN_CODE TARGET
//   goto STATE NONTERMINAL TARGET
//   expecting STATE TOKEN_CODE...               (the tokens an error names)
#include <cstdio>

#include "blif/blif_grammar.h"
#include "blif/blif_tokens.h"

namespace {

// Names of blif_nt, which counts from 1.
const char* const kNonterminalNames[kBlifNonterminalCount + 1] = {
    "",
    "boolean_automaton",
    "nom_declaration",
    "input_declarations",
    "output_declarations",
    "ident_list",
    "ident",
    "equations_list",
    "equation",
    "equation_latch",
    "equation_bool",
    "declaration_bool",
    "next_var",
    "actual_var",
    "initial_value",
    "prod_list",
    "prod",
    "value_list",
    "value",
    "nom_circuit",
};

// Every code the driver can meet: the end of input, the error and undefined
// codes, and the scanner's tokens.
constexpr int kCodes[] = {TOKEN_END_OF_INPUT, 256,           257,         TOKEN_NL,    TOKEN_model,
                          TOKEN_inputs,       TOKEN_outputs, TOKEN_latch, TOKEN_names, TOKEN_end,
                          TOKEN_ZERO,         TOKEN_ONE,     TOKEN_indif, TOKEN_ident};

const char* nonterminal_name(blif_nt symbol) {
  return kNonterminalNames[static_cast<int>(symbol)];
}

}  // namespace

int main() {
  for (int code : kCodes)
    std::printf("terminal %d %s\n", code, blif_token_name(code));
  for (int n = 1; n <= kBlifNonterminalCount; ++n)
    std::printf("nonterminal %s\n", kNonterminalNames[n]);
  for (int i = 0; i < kBlifRuleCount; ++i) {
    const blif_rule& rule = blif_rule_at(static_cast<blif_rule_id>(i));
    std::printf("rule %d %s %d\n", i, nonterminal_name(rule.lhs), rule.length);
  }
  for (int s = 0; s < kBlifStateCount; ++s) {
    std::printf("state %d %d %d\n", s, static_cast<int>(blif_default_rule(s)),
                blif_needs_lookahead(s) ? 1 : 0);
    for (int code : kCodes) {
      const int target = blif_shift_target(s, code);
      if (target != 0) std::printf("shift %d %d %d\n", s, code, target);
    }
    for (int n = 1; n <= kBlifNonterminalCount; ++n) {
      const int target = blif_goto_target(s, static_cast<blif_nt>(n));
      if (target != 0) std::printf("goto %d %s %d\n", s, kNonterminalNames[n], target);
    }
    int tokens[sizeof kCodes / sizeof kCodes[0]];
    const int count = blif_shifted_tokens(s, tokens, sizeof kCodes / sizeof kCodes[0]);
    std::printf("expecting %d", s);
    for (int i = 0; i < count; ++i)
      std::printf(" %d", tokens[i]);
    std::printf("\n");
  }
  return 0;
}
