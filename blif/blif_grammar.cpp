// LALR(1) tables of the BLIF grammar, derived by hand from its LR(0) item sets.
#include "blif/blif_grammar.h"

#include "blif/blif_tokens.h"

namespace {

using nt = blif_nt;

const blif_rule kRules[kBlifRuleCount] = {
    // 0  $accept: boolean_automaton $end
    {nt::boolean_automaton, 2, 0, 1, ""},
    // 1  boolean_automaton: nom_declaration input_declarations output_declarations
    //                       equations_list TOKEN_end
    {nt::boolean_automaton, 5, 1, 1, "definition finale"},
    // 2  nom_declaration: TOKEN_model nom_circuit
    {nt::nom_declaration, 2, 2, 1, "definition nom declaration"},
    // 3  input_declarations: (empty)
    {nt::input_declarations, 0, 3, 1, "definition liste inputs vide"},
    // 4  input_declarations: TOKEN_inputs ident_list
    {nt::input_declarations, 2, 3, 2, "definition liste inputs"},
    // 5  output_declarations: (empty)
    {nt::output_declarations, 0, 4, 1, "definition liste output vide"},
    // 6  output_declarations: TOKEN_outputs ident_list
    {nt::output_declarations, 2, 4, 2, "definition liste output"},
    // 7  ident_list: ident
    {nt::ident_list, 1, 5, 1, "creation liste ident"},
    // 8  ident_list: ident_list ident
    {nt::ident_list, 2, 5, 2, "ajout ident liste"},
    // 9  ident: TOKEN_ident
    {nt::ident, 1, 6, 1, nullptr},
    // 10 equations_list: (empty)
    {nt::equations_list, 0, 7, 1, "equation booleenne gen seule"},
    // 11 equations_list: equations_list equation
    {nt::equations_list, 2, 7, 2, "ajout equation gen liste"},
    // 12 equation: equation_latch
    {nt::equation, 1, 8, 1, "equation de latch"},
    // 13 equation: equation_bool
    {nt::equation, 1, 8, 1, "equation boolenne"},
    // 14 equation_latch: TOKEN_latch next_var actual_var initial_value
    {nt::equation_latch, 4, 9, 1, "def equation latch"},
    // 15 equation_bool: declaration_bool TOKEN_NL prod_list TOKEN_NL
    {nt::equation_bool, 4, 10, 1, "def equation bool"},
    // 16 declaration_bool: TOKEN_names ident_list
    {nt::declaration_bool, 2, 11, 1, "def declaration bool"},
    // 17 next_var: ident
    {nt::next_var, 1, 12, 1, "def var suivante"},
    // 18 actual_var: ident
    {nt::actual_var, 1, 13, 1, "def var actuelle"},
    // 19 initial_value: TOKEN_ZERO
    {nt::initial_value, 1, 14, 1, "valeur initiale 0"},
    // 20 initial_value: TOKEN_ONE
    {nt::initial_value, 1, 14, 2, "valeur initiale 1"},
    // 21 prod_list: prod
    {nt::prod_list, 1, 15, 1, "premier produit"},
    // 22 prod_list: prod_list TOKEN_NL prod
    {nt::prod_list, 3, 15, 2, "OR produit"},
    // 23 prod: value_list
    {nt::prod, 1, 16, 1, "produit"},
    // 24 value_list: value
    {nt::value_list, 1, 17, 1, " liste de var a 1 element"},
    // 25 value_list: value_list value
    {nt::value_list, 2, 17, 2, " add var liste"},
    // 26 value: TOKEN_ZERO
    {nt::value, 1, 18, 1, "operateur ``0 logique''"},
    // 27 value: TOKEN_ONE
    {nt::value, 1, 18, 2, "operateur ``1 logique''"},
    // 28 value: TOKEN_indif
    {nt::value, 1, 18, 3, "indiferent detecte :"},
    // 29 nom_circuit: ident
    {nt::nom_circuit, 1, 19, 1, "nom circuit"},
};

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
  int default_rule;
};

constexpr int none = kBlifNoDefault;

// Each state is listed with its kernel items; "." marks the position.
const lr_state kStates[kBlifStateCount] = {
    // 0   $accept: . boolean_automaton $end
    {{{TOKEN_model, 1}}, {{nt::boolean_automaton, 2}, {nt::nom_declaration, 3}}, none},
    // 1   nom_declaration: TOKEN_model . nom_circuit
    {{{TOKEN_ident, 4}}, {{nt::ident, 5}, {nt::nom_circuit, 6}}, none},
    // 2   $accept: boolean_automaton . $end
    {{{TOKEN_END_OF_INPUT, 7}}, {}, none},
    // 3   boolean_automaton: nom_declaration . input_declarations output_declarations
    //                        equations_list TOKEN_end
    {{{TOKEN_inputs, 8}}, {{nt::input_declarations, 9}}, 3},
    // 4   ident: TOKEN_ident .
    {{}, {}, 9},
    // 5   nom_circuit: ident .
    {{}, {}, 29},
    // 6   nom_declaration: TOKEN_model nom_circuit .
    {{}, {}, 2},
    // 7   $accept: boolean_automaton $end .
    {{}, {}, kBlifAcceptRule},
    // 8   input_declarations: TOKEN_inputs . ident_list
    {{{TOKEN_ident, 4}}, {{nt::ident_list, 10}, {nt::ident, 11}}, none},
    // 9   boolean_automaton: nom_declaration input_declarations . output_declarations
    //                        equations_list TOKEN_end
    {{{TOKEN_outputs, 12}}, {{nt::output_declarations, 13}}, 5},
    // 10  input_declarations: TOKEN_inputs ident_list .
    //     ident_list: ident_list . ident
    {{{TOKEN_ident, 4}}, {{nt::ident, 14}}, 4},
    // 11  ident_list: ident .
    {{}, {}, 7},
    // 12  output_declarations: TOKEN_outputs . ident_list
    {{{TOKEN_ident, 4}}, {{nt::ident_list, 15}, {nt::ident, 11}}, none},
    // 13  boolean_automaton: nom_declaration input_declarations output_declarations .
    //                        equations_list TOKEN_end
    {{}, {{nt::equations_list, 16}}, 10},
    // 14  ident_list: ident_list ident .
    {{}, {}, 8},
    // 15  output_declarations: TOKEN_outputs ident_list .
    //     ident_list: ident_list . ident
    {{{TOKEN_ident, 4}}, {{nt::ident, 14}}, 6},
    // 16  boolean_automaton: nom_declaration input_declarations output_declarations
    //                        equations_list . TOKEN_end
    //     equations_list: equations_list . equation
    {{{TOKEN_latch, 17}, {TOKEN_names, 18}, {TOKEN_end, 19}},
     {{nt::equation, 20},
      {nt::equation_latch, 21},
      {nt::equation_bool, 22},
      {nt::declaration_bool, 23}},
     none},
    // 17  equation_latch: TOKEN_latch . next_var actual_var initial_value
    {{{TOKEN_ident, 4}}, {{nt::ident, 24}, {nt::next_var, 25}}, none},
    // 18  declaration_bool: TOKEN_names . ident_list
    {{{TOKEN_ident, 4}}, {{nt::ident_list, 26}, {nt::ident, 11}}, none},
    // 19  boolean_automaton: nom_declaration input_declarations output_declarations
    //                        equations_list TOKEN_end .
    {{}, {}, 1},
    // 20  equations_list: equations_list equation .
    {{}, {}, 11},
    // 21  equation: equation_latch .
    {{}, {}, 12},
    // 22  equation: equation_bool .
    {{}, {}, 13},
    // 23  equation_bool: declaration_bool . TOKEN_NL prod_list TOKEN_NL
    {{{TOKEN_NL, 27}}, {}, none},
    // 24  next_var: ident .
    {{}, {}, 17},
    // 25  equation_latch: TOKEN_latch next_var . actual_var initial_value
    {{{TOKEN_ident, 4}}, {{nt::ident, 28}, {nt::actual_var, 29}}, none},
    // 26  declaration_bool: TOKEN_names ident_list .
    //     ident_list: ident_list . ident
    {{{TOKEN_ident, 4}}, {{nt::ident, 14}}, 16},
    // 27  equation_bool: declaration_bool TOKEN_NL . prod_list TOKEN_NL
    {{{TOKEN_ZERO, 30}, {TOKEN_ONE, 31}, {TOKEN_indif, 32}},
     {{nt::prod_list, 33}, {nt::prod, 34}, {nt::value_list, 35}, {nt::value, 36}},
     none},
    // 28  actual_var: ident .
    {{}, {}, 18},
    // 29  equation_latch: TOKEN_latch next_var actual_var . initial_value
    {{{TOKEN_ZERO, 37}, {TOKEN_ONE, 38}}, {{nt::initial_value, 39}}, none},
    // 30  value: TOKEN_ZERO .
    {{}, {}, 26},
    // 31  value: TOKEN_ONE .
    {{}, {}, 27},
    // 32  value: TOKEN_indif .
    {{}, {}, 28},
    // 33  equation_bool: declaration_bool TOKEN_NL prod_list . TOKEN_NL
    //     prod_list: prod_list . TOKEN_NL prod
    {{{TOKEN_NL, 40}}, {}, none},
    // 34  prod_list: prod .
    {{}, {}, 21},
    // 35  prod: value_list .
    //     value_list: value_list . value
    {{{TOKEN_ZERO, 30}, {TOKEN_ONE, 31}, {TOKEN_indif, 32}}, {{nt::value, 41}}, 23},
    // 36  value_list: value .
    {{}, {}, 24},
    // 37  initial_value: TOKEN_ZERO .
    {{}, {}, 19},
    // 38  initial_value: TOKEN_ONE .
    {{}, {}, 20},
    // 39  equation_latch: TOKEN_latch next_var actual_var initial_value .
    {{}, {}, 14},
    // 40  equation_bool: declaration_bool TOKEN_NL prod_list TOKEN_NL .
    //     prod_list: prod_list TOKEN_NL . prod
    {{{TOKEN_ZERO, 30}, {TOKEN_ONE, 31}, {TOKEN_indif, 32}},
     {{nt::prod, 42}, {nt::value_list, 35}, {nt::value, 36}},
     15},
    // 41  value_list: value_list value .
    {{}, {}, 25},
    // 42  prod_list: prod_list TOKEN_NL prod .
    {{}, {}, 22},
};

const char* const kTokenNames[] = {"TOKEN_NL",    "TOKEN_model", "TOKEN_inputs", "TOKEN_outputs",
                                   "TOKEN_latch", "TOKEN_names", "TOKEN_end",    "TOKEN_ZERO",
                                   "TOKEN_ONE",   "TOKEN_indif", "TOKEN_ident"};

}  // namespace

const blif_rule& blif_rule_at(int rule) {
  return kRules[rule];
}

int blif_shift_target(int state, int token) {
  for (const shift& s : kStates[state].shifts) {
    if (s.state != 0 && s.token == token) return s.state;
  }
  return 0;
}

int blif_goto_target(int state, blif_nt symbol) {
  for (const go_to& g : kStates[state].gotos) {
    if (g.state != 0 && g.symbol == symbol) return g.state;
  }
  return 0;
}

int blif_default_rule(int state) {
  return kStates[state].default_rule;
}

bool blif_needs_lookahead(int state) {
  return kStates[state].shifts[0].state != 0 || kStates[state].default_rule == kBlifNoDefault;
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
