/* The BLIF grammar of the reader, as the tables of blif/blif_grammar.cpp
   hold it. Rules are numbered in the order they are written here (rule 0 is
   the start rule bison adds); the comment of each gives its number and its
   name in blif_rule_id. Nothing here is compiled into the tool: the
   grammar_tables test runs bison on this file and compares the automaton it
   builds with the tables, entry by entry.

   To change the grammar: change this file; have bison print the new
   automaton (bison --report=all --report-file=blif.output -o blif.c blif.y);
   enter its rules, states and nonterminals in blif/blif_grammar.h and
   blif/blif_grammar.cpp; give each new rule its action in reduce() of
   blif/blif_parser.cpp, which does not compile until every rule of
   blif_rule_id has a case. The test names every entry that still differs. */

/* Token codes as blif/blif_tokens.h numbers them. */
%token TOKEN_NL 258
%token TOKEN_model 259
%token TOKEN_inputs 260
%token TOKEN_outputs 261
%token TOKEN_latch 262
%token TOKEN_names 263
%token TOKEN_end 264
%token TOKEN_ZERO 265
%token TOKEN_ONE 266
%token TOKEN_indif 267
%token TOKEN_ident 268

%start boolean_automaton

%%

boolean_automaton
  : nom_declaration input_declarations output_declarations equations_list TOKEN_end
                                                  /* 1  boolean_automaton */
  ;
nom_declaration
  : TOKEN_model nom_circuit                       /* 2  nom_declaration */
  ;
input_declarations
  : %empty                                        /* 3  inputs_empty */
  | TOKEN_inputs ident_list                       /* 4  inputs_list */
  ;
output_declarations
  : %empty                                        /* 5  outputs_empty */
  | TOKEN_outputs ident_list                      /* 6  outputs_list */
  ;
ident_list
  : ident                                         /* 7  ident_list_first */
  | ident_list ident                              /* 8  ident_list_append */
  ;
ident
  : TOKEN_ident                                   /* 9  ident */
  ;
equations_list
  : %empty                                        /* 10 equations_empty */
  | equations_list equation                       /* 11 equations_append */
  ;
equation
  : equation_latch                                /* 12 equation_of_latch */
  | equation_bool                                 /* 13 equation_of_table */
  ;
equation_latch
  : TOKEN_latch next_var actual_var initial_value /* 14 latch */
  ;
equation_bool
  : declaration_bool TOKEN_NL prod_list TOKEN_NL  /* 15 table */
  ;
declaration_bool
  : TOKEN_names ident_list                        /* 16 declaration_bool */
  ;
next_var
  : ident                                         /* 17 next_var */
  ;
actual_var
  : ident                                         /* 18 actual_var */
  ;
initial_value
  : TOKEN_ZERO                                    /* 19 initial_zero */
  | TOKEN_ONE                                     /* 20 initial_one */
  ;
prod_list
  : prod                                          /* 21 prod_list_first */
  | prod_list TOKEN_NL prod                       /* 22 prod_list_append */
  ;
prod
  : value_list                                    /* 23 prod */
  ;
value_list
  : value                                         /* 24 value_list_first */
  | value_list value                              /* 25 value_list_append */
  ;
value
  : TOKEN_ZERO                                    /* 26 value_zero */
  | TOKEN_ONE                                     /* 27 value_one */
  | TOKEN_indif                                   /* 28 value_indif */
  ;
nom_circuit
  : ident                                         /* 29 nom_circuit */
  ;
