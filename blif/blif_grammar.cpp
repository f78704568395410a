// LALR(1) tables of the BLIF grammar of tests/grammar/blif.y, derived by hand
// from its LR(0) item sets; the grammar_tables test compares them with the
// automaton bison builds from that file.
#include "blif/blif_grammar.h"

#include "blif/blif_tokens.h"

namespace {

using nt = blif_nt;
using r = blif_rule_id;

constexpr blif_rule kRules[kBlifRuleCount] = {
    // 0  $accept: boolean_automaton $end
    {r::accept, nt::boolean_automaton, 2, 0, 1, ""},
    // 1  boolean_automaton: nom_declaration input_declarations output_declarations
    //                       equations_list TOKEN_end
    {r::boolean_automaton, nt::boolean_automaton, 5, 1, 1, "definition finale"},
    // 2  nom_declaration: TOKEN_model nom_circuit
    {r::nom_declaration, nt::nom_declaration, 2, 2, 1, "definition nom declaration"},
    // 3  input_declarations: (empty)
    {r::inputs_empty, nt::input_declarations, 0, 3, 1, "definition liste inputs vide"},
    // 4  input_declarations: TOKEN_inputs ident_list
    {r::inputs_list, nt::input_declarations, 2, 3, 2, "definition liste inputs"},
    // 5  output_declarations: (empty)
    {r::outputs_empty, nt::output_declarations, 0, 4, 1, "definition liste output vide"},
    // 6  output_declarations: TOKEN_outputs ident_list
    {r::outputs_list, nt::output_declarations, 2, 4, 2, "definition liste output"},
    // 7  ident_list: ident
    {r::ident_list_first, nt::ident_list, 1, 5, 1, "creation liste ident"},
    // 8  ident_list: ident_list ident
    {r::ident_list_append, nt::ident_list, 2, 5, 2, "ajout ident liste"},
    // 9  ident: TOKEN_ident
    {r::ident, nt::ident, 1, 6, 1, nullptr},
    // 10 equations_list: (empty)
    {r::equations_empty, nt::equations_list, 0, 7, 1, "equation booleenne gen seule"},
    // 11 equations_list: equations_list equation
    {r::equations_append, nt::equations_list, 2, 7, 2, "ajout equation gen liste"},
    // 12 equation: equation_latch
    {r::equation_of_latch, nt::equation, 1, 8, 1, "equation de latch"},
    // 13 equation: equation_bool
    {r::equation_of_table, nt::equation, 1, 8, 1, "equation boolenne"},
    // 14 equation_latch: TOKEN_latch next_var actual_var initial_value
    {r::latch, nt::equation_latch, 4, 9, 1, "def equation latch"},
    // 15 equation_bool: declaration_bool TOKEN_NL prod_list TOKEN_NL
    {r::table, nt::equation_bool, 4, 10, 1, "def equation bool"},
    // 16 declaration_bool: TOKEN_names ident_list
    {r::declaration_bool, nt::declaration_bool, 2, 11, 1, "def declaration bool"},
    // 17 next_var: ident
    {r::next_var, nt::next_var, 1, 12, 1, "def var suivante"},
    // 18 actual_var: ident
    {r::actual_var, nt::actual_var, 1, 13, 1, "def var actuelle"},
    // 19 initial_value: TOKEN_ZERO
    {r::initial_zero, nt::initial_value, 1, 14, 1, "valeur initiale 0"},
    // 20 initial_value: TOKEN_ONE
    {r::initial_one, nt::initial_value, 1, 14, 2, "valeur initiale 1"},
    // 21 prod_list: prod
    {r::prod_list_first, nt::prod_list, 1, 15, 1, "premier produit"},
    // 22 prod_list: prod_list TOKEN_NL prod
    {r::prod_list_append, nt::prod_list, 3, 15, 2, "OR produit"},
    // 23 prod: value_list
    {r::prod, nt::prod, 1, 16, 1, "produit"},
    // 24 value_list: value
    {r::value_list_first, nt::value_list, 1, 17, 1, " liste de var a 1 element"},
    // 25 value_list: value_list value
    {r::value_list_append, nt::value_list, 2, 17, 2, " add var liste"},
    // 26 value: TOKEN_ZERO
    {r::value_zero, nt::value, 1, 18, 1, "operateur ``0 logique''"},
    // 27 value: TOKEN_ONE
    {r::value_one, nt::value, 1, 18, 2, "operateur ``1 logique''"},
    // 28 value: TOKEN_indif
    {r::value_indif, nt::value, 1, 18, 3, "indiferent detecte :"},
    // 29 nom_circuit: ident
    {r::nom_circuit, nt::nom_circuit, 1, 19, 1, "nom circuit"},
};

// Each rule sits at the position its name numbers.
constexpr bool rules_in_order() {
  for (int i = 0; i < kBlifRuleCount; ++i) {
    if (static_cast<int>(kRules[i].id) != i) return false;
  }
  return true;
}
static_assert(rules_in_order(), "kRules is not in the order of blif_rule_id");

struct shift {
  int token;
  int state;  // 0: unused entry
};

struct go_to {
  blif_nt symbol;
  int state;  // 0: unused entry
};

struct lr_state {
  shift shifts[3];  // in token code order
  go_to gotos[4];
  blif_rule_id default_rule;
};

// Each state is listed with its kernel items; "." marks the position.
const lr_state kStates[kBlifStateCount] = {
    // 0   $accept: . boolean_automaton $end
    {{{TOKEN_model, 1}}, {{nt::boolean_automaton, 2}, {nt::nom_declaration, 3}}, r::none},
    // 1   nom_declaration: TOKEN_model . nom_circuit
    {{{TOKEN_ident, 4}}, {{nt::ident, 5}, {nt::nom_circuit, 6}}, r::none},
    // 2   $accept: boolean_automaton . $end
    {{{TOKEN_END_OF_INPUT, 7}}, {}, r::none},
    // 3   boolean_automaton: nom_declaration . input_declarations output_declarations
    //                        equations_list TOKEN_end
    {{{TOKEN_inputs, 8}}, {{nt::input_declarations, 9}}, r::inputs_empty},
    // 4   ident: TOKEN_ident .
    {{}, {}, r::ident},
    // 5   nom_circuit: ident .
    {{}, {}, r::nom_circuit},
    // 6   nom_declaration: TOKEN_model nom_circuit .
    {{}, {}, r::nom_declaration},
    // 7   $accept: boolean_automaton $end .
    {{}, {}, r::accept},
    // 8   input_declarations: TOKEN_inputs . ident_list
    {{{TOKEN_ident, 4}}, {{nt::ident_list, 10}, {nt::ident, 11}}, r::none},
    // 9   boolean_automaton: nom_declaration input_declarations . output_declarations
    //                        equations_list TOKEN_end
    {{{TOKEN_outputs, 12}}, {{nt::output_declarations, 13}}, r::outputs_empty},
    // 10  input_declarations: TOKEN_inputs ident_list .
    //     ident_list: ident_list . ident
    {{{TOKEN_ident, 4}}, {{nt::ident, 14}}, r::inputs_list},
    // 11  ident_list: ident .
    {{}, {}, r::ident_list_first},
    // 12  output_declarations: TOKEN_outputs . ident_list
    {{{TOKEN_ident, 4}}, {{nt::ident_list, 15}, {nt::ident, 11}}, r::none},
    // 13  boolean_automaton: nom_declaration input_declarations output_declarations .
    //                        equations_list TOKEN_end
    {{}, {{nt::equations_list, 16}}, r::equations_empty},
    // 14  ident_list: ident_list ident .
    {{}, {}, r::ident_list_append},
    // 15  output_declarations: TOKEN_outputs ident_list .
    //     ident_list: ident_list . ident
    {{{TOKEN_ident, 4}}, {{nt::ident, 14}}, r::outputs_list},
    // 16  boolean_automaton: nom_declaration input_declarations output_declarations
    //                        equations_list . TOKEN_end
    //     equations_list: equations_list . equation
    {{{TOKEN_latch, 17}, {TOKEN_names, 18}, {TOKEN_end, 19}},
     {{nt::equation, 20},
      {nt::equation_latch, 21},
      {nt::equation_bool, 22},
      {nt::declaration_bool, 23}},
     r::none},
    // 17  equation_latch: TOKEN_latch . next_var actual_var initial_value
    {{{TOKEN_ident, 4}}, {{nt::ident, 24}, {nt::next_var, 25}}, r::none},
    // 18  declaration_bool: TOKEN_names . ident_list
    {{{TOKEN_ident, 4}}, {{nt::ident_list, 26}, {nt::ident, 11}}, r::none},
    // 19  boolean_automaton: nom_declaration input_declarations output_declarations
    //                        equations_list TOKEN_end .
    {{}, {}, r::boolean_automaton},
    // 20  equations_list: equations_list equation .
    {{}, {}, r::equations_append},
    // 21  equation: equation_latch .
    {{}, {}, r::equation_of_latch},
    // 22  equation: equation_bool .
    {{}, {}, r::equation_of_table},
    // 23  equation_bool: declaration_bool . TOKEN_NL prod_list TOKEN_NL
    {{{TOKEN_NL, 27}}, {}, r::none},
    // 24  next_var: ident .
    {{}, {}, r::next_var},
    // 25  equation_latch: TOKEN_latch next_var . actual_var initial_value
    {{{TOKEN_ident, 4}}, {{nt::ident, 28}, {nt::actual_var, 29}}, r::none},
    // 26  declaration_bool: TOKEN_names ident_list .
    //     ident_list: ident_list . ident
    {{{TOKEN_ident, 4}}, {{nt::ident, 14}}, r::declaration_bool},
    // 27  equation_bool: declaration_bool TOKEN_NL . prod_list TOKEN_NL
    {{{TOKEN_ZERO, 30}, {TOKEN_ONE, 31}, {TOKEN_indif, 32}},
     {{nt::prod_list, 33}, {nt::prod, 34}, {nt::value_list, 35}, {nt::value, 36}},
     r::none},
    // 28  actual_var: ident .
    {{}, {}, r::actual_var},
    // 29  equation_latch: TOKEN_latch next_var actual_var . initial_value
    {{{TOKEN_ZERO, 37}, {TOKEN_ONE, 38}}, {{nt::initial_value, 39}}, r::none},
    // 30  value: TOKEN_ZERO .
    {{}, {}, r::value_zero},
    // 31  value: TOKEN_ONE .
    {{}, {}, r::value_one},
    // 32  value: TOKEN_indif .
    {{}, {}, r::value_indif},
    // 33  equation_bool: declaration_bool TOKEN_NL prod_list . TOKEN_NL
    //     prod_list: prod_list . TOKEN_NL prod
    {{{TOKEN_NL, 40}}, {}, r::none},
    // 34  prod_list: prod .
    {{}, {}, r::prod_list_first},
    // 35  prod: value_list .
    //     value_list: value_list . value
    {{{TOKEN_ZERO, 30}, {TOKEN_ONE, 31}, {TOKEN_indif, 32}}, {{nt::value, 41}}, r::prod},
    // 36  value_list: value .
    {{}, {}, r::value_list_first},
    // 37  initial_value: TOKEN_ZERO .
    {{}, {}, r::initial_zero},
    // 38  initial_value: TOKEN_ONE .
    {{}, {}, r::initial_one},
    // 39  equation_latch: TOKEN_latch next_var actual_var initial_value .
    {{}, {}, r::latch},
    // 40  equation_bool: declaration_bool TOKEN_NL prod_list TOKEN_NL .
    //     prod_list: prod_list TOKEN_NL . prod
    {{{TOKEN_ZERO, 30}, {TOKEN_ONE, 31}, {TOKEN_indif, 32}},
     {{nt::prod, 42}, {nt::value_list, 35}, {nt::value, 36}},
     r::table},
    // 41  value_list: value_list value .
    {{}, {}, r::value_list_append},
    // 42  prod_list: prod_list TOKEN_NL prod .
    {{}, {}, r::prod_list_append},
};

const char* const kTokenNames[] = {"TOKEN_NL",    "TOKEN_model", "TOKEN_inputs", "TOKEN_outputs",
                                   "TOKEN_latch", "TOKEN_names", "TOKEN_end",    "TOKEN_ZERO",
                                   "TOKEN_ONE",   "TOKEN_indif", "TOKEN_ident"};

}  // namespace

const blif_rule& blif_rule_at(blif_rule_id rule) {
  return kRules[static_cast<int>(rule)];
}

namespace {

// The rule a state reduces by without reading a token, or none.
r reduction_without_token(const blif_lookups& t, int state) {
  return state != 0 && !t.needs_lookahead[state] ? t.default_rule[state] : r::none;
}

// Fills t.loop from the other lookups. A state entered by a nonterminal is
// entered by no other symbol, from whichever state below, so a reduction to
// that nonterminal which pops the state goes back to it.
void find_loops(blif_lookups& t) {
  int entered_by[kBlifStateCount] = {};  // the nonterminal, 0 for none
  for (int state = 0; state < kBlifStateCount; ++state) {
    for (int symbol = 1; symbol <= kBlifNonterminalCount; ++symbol) {
      if (t.go_to[state][symbol] != 0) entered_by[t.go_to[state][symbol]] = symbol;
    }
  }
  for (int state = 0; state < kBlifStateCount; ++state) {
    for (int column = 0; column < kBlifTokenColumns; ++column) {
      t.loop[state][column] = blif_loop{};
      const r member = reduction_without_token(t, t.shift[state][column]);
      if (member == r::none || member == r::accept || t.rule_length[static_cast<int>(member)] != 1)
        continue;
      const int next = t.go_to[state][static_cast<int>(t.rule_lhs[static_cast<int>(member)])];
      const r extend = reduction_without_token(t, next);
      if (extend == r::none || extend == r::accept || extend == r::boolean_automaton) continue;
      const int number = static_cast<int>(extend);
      if (t.rule_length[number] == 2 && entered_by[state] != 0 &&
          static_cast<int>(t.rule_lhs[number]) == entered_by[state])
        t.loop[state][column] = {member, extend};
    }
  }
}

blif_lookups derive_lookups() {
  blif_lookups t = {};
  for (int state = 0; state < kBlifStateCount; ++state) {
    const lr_state& s = kStates[state];
    for (const shift& e : s.shifts) {
      if (e.state != 0)
        t.shift[state][blif_token_column(e.token)] = static_cast<signed char>(e.state);
    }
    for (const go_to& g : s.gotos) {
      if (g.state != 0)
        t.go_to[state][static_cast<int>(g.symbol)] = static_cast<signed char>(g.state);
    }
    t.default_rule[state] = s.default_rule;
    t.needs_lookahead[state] = s.shifts[0].state != 0 || s.default_rule == r::none;
  }
  for (int rule = 0; rule < kBlifRuleCount; ++rule) {
    t.rule_length[rule] = static_cast<signed char>(kRules[rule].length);
    t.rule_lhs[rule] = kRules[rule].lhs;
  }
  find_loops(t);
  return t;
}

}  // namespace

const blif_lookups& blif_parse_lookups() {
  static const blif_lookups lookups = derive_lookups();
  return lookups;
}

int blif_shift_target(int state, int token) {
  return blif_parse_lookups().shift[state][blif_token_column(token)];
}

int blif_goto_target(int state, blif_nt symbol) {
  return blif_parse_lookups().go_to[state][static_cast<int>(symbol)];
}

blif_rule_id blif_default_rule(int state) {
  return blif_parse_lookups().default_rule[state];
}

bool blif_needs_lookahead(int state) {
  return blif_parse_lookups().needs_lookahead[state];
}

int blif_shifted_tokens(int state, int* tokens, int max) {
  int count = 0;
  for (const shift& s : kStates[state].shifts) {
    if (s.state != 0 && count < max) tokens[count++] = s.token;
  }
  return count;
}

const char* blif_token_name(int token) {
  if (token == TOKEN_END_OF_INPUT) return "$end";
  if (token == 256) return "error";
  if (token >= TOKEN_NL && token <= TOKEN_ident) return kTokenNames[token - TOKEN_NL];
  return "$undefined";
}
