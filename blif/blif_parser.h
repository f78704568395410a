// LALR(1) parser of one BLIF model.
//
// The reductions collect the model's names, latches and ".names" tables into
// the parser's lists and write one trace line each into the log. The parser
// reaches its scanner and lists through the process-wide pblif_parser.
#pragma once

#include <fstream>
#include <list>
#include <ostream>
#include <string>
#include <vector>

#include "automaton/b_autom_dec.h"
#include "automaton/b_automaton.h"
#include "bdd/bdd.h"
#include "blif/blif_lexer.h"
#include "expr/bdd_expression.h"

// One ".names" table: its names (inputs, then output) and its rows, each row
// a list of 0 ("0"), 1 ("1") and 2 ("-").
class class_equation_blif {
 public:
  void add_vars(std::vector<std::string>& names) { vars = names; }
  void add_pla(std::vector<std::vector<int>>& rows) { pla = rows; }
  std::vector<std::string>& my_vars() { return vars; }
  // The table as the equation output = function, entered into `wood`.
  Bddexpression bddexpression_convert(Bddexpressionwood* wood);

  std::vector<std::string> vars;
  std::vector<std::vector<int>> pla;
};

enum class blif_rule_id : int;

// Semantic value of one grammar symbol; each symbol uses one member:
// `text` for ident, nom_circuit, next_var, actual_var, initial_value;
// `names` for ident_list, declaration_bool, input_ and output_declarations;
// `number` for value; `row` for value_list and prod; `rows` for prod_list.
struct YYSTYPE {
  int number = 0;
  std::string text;
  std::vector<std::string> names;
  std::vector<int> row;
  std::vector<std::vector<int>> rows;
};

class class_blif_parser {
 public:
  class_blif_parser();
  ~class_blif_parser();
  class_blif_parser(const class_blif_parser&) = delete;
  class_blif_parser& operator=(const class_blif_parser&) = delete;

  // Parses one model from `lexer`: 0 accepted, 1 syntax error, 2 stack exhausted.
  int parse(std::fstream& log, int trace);

  int trace_mode = 0;
  std::fstream* log_stream = nullptr;
  blifFlexLexer* lexer = nullptr;
  b_autom_dec* declaration = nullptr;
  b_automaton* automaton = nullptr;
  std::list<Bddexpression> trans_equations;
  std::list<Bddexpression> def_equations;
  bdd initial_state = 0;
  std::list<std::string> inputs;
  std::list<std::string> outputs;
  std::list<std::string> locals;
  std::list<std::string> latch_inputs;
  std::list<std::string> state_vars;
  std::list<std::string> latch_init_values;
  std::list<class_equation_blif> equations;
  // Name given by ".model", for messages.
  std::string model_name;

  // Every name of a table that is neither an input, an output, a state
  // variable nor already listed, in order of first occurrence; then every
  // latch input that occurs nowhere else.
  void compute_locals();
  // Transition equations and initial state, then one definition per table.
  void compute_transitions();

 private:
  friend int blifparse_bounded(int initial_depth, int max_depth);

  // Runs the action of `rule`; rhs points at the values of its right member.
  void reduce(blif_rule_id rule, YYSTYPE* rhs, YYSTYPE& result);
  void final_action();
  // Builds the declaration and the automaton of the model just read.
  void build_automaton();
  // Drops repeated names within the interface lists and refuses (status 1)
  // models in which one signal would have two drivers.
  void check_signals();
};

// The current parser: set by the constructor and by parse, cleared by the
// destructor of the parser it points to.
extern class_blif_parser* pblif_parser;

// The parser driver; takes tokens from bliflex. Returns 0 when the model was
// accepted, 1 after a syntax error, 2 when the stack overflowed.
int blifparse();
// blifparse with a stack that starts with room for `initial_depth` states and
// doubles up to `max_depth`; blifparse uses 200 and 10000.
int blifparse_bounded(int initial_depth, int max_depth);
// Next token of the current parser's scanner; `value` is not used.
int bliflex(YYSTYPE* value);
// Writes "n[,k] --> text" and a line end to `log` when trace is exactly 1.
void blif_debuger_law(int n, int k, const char* text, int trace, std::ostream& log);
// Writes the message and a line end on standard error.
void bliferror(const char* message);
