// LALR(1) parser of one BLIF model.
//
// The reductions collect the model's names, latches and ".names" tables into
// the parser's lists and write one trace line each into the log; the
// reduction of the whole model hands them to the assembly
// (blif/blif_assembly.h) as a model record. The parser reaches its scanner
// and lists through the process-wide pblif_parser.
#pragma once

#include <fstream>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "automaton/b_automaton.h"
#include "blif/blif_lexer.h"
#include "blif/blif_model.h"
#include "support/block_writer.h"
#include "support/diagnostic.h"

enum class blif_rule_id : int;
struct blif_loop;

// The trace line "n[,k] --> text\n" of one rule, or for the identifier's
// rule, whose text is the identifier's own, the line's start "n[,k] --> ";
// lines that fit are also kept in `padded`, a block of fixed width.
constexpr std::size_t kBlifTraceWidth = 48;
struct blif_trace_line {
  std::string text;
  std::size_t size = 0;
  char padded[kBlifTraceWidth] = {};
};

// Semantic value of one grammar symbol; each symbol uses one member:
// `text` for nom_circuit, next_var, actual_var; `names` for ident_list;
// `number` for value and initial_value. An ident's value is the scanner's
// text of it (class_blif_parser::scanned_name). The rows of a table go
// straight into the table being read, not through values. A reduction
// writes its value over the slot of its right member's first symbol, so a
// slot's other members keep what they held (and their room) until reused.
struct YYSTYPE {
  int number = 0;
  std::string text;
  std::vector<std::string> names;
};

class class_blif_parser {
 public:
  class_blif_parser();
  ~class_blif_parser();
  class_blif_parser(const class_blif_parser&) = delete;
  class_blif_parser& operator=(const class_blif_parser&) = delete;

  // Parses one model from `lexer`: 0 accepted, 1 syntax error, 2 stack
  // exhausted, 3 refused by the assembly (refusal() says why; the parse
  // stops right after the reduction of the model, reading no further).
  int parse(std::ostream& log, int trace);

  // Why the last model was refused, when parse returned 3.
  const tessaro::outcome& refusal() const { return refusal_; }

  int trace_mode = 0;
  std::ostream* log_stream = nullptr;
  blifFlexLexer* lexer = nullptr;
  // The automaton of the model read, owned by the caller once parse returns.
  b_automaton* automaton = nullptr;
  // The file being read, which refusals name; set by the caller.
  std::string file_name;
  // Name given by ".model", for messages.
  std::string model_name;

  // What the reductions have collected since the last model was handed to
  // the assembly: its inputs, outputs, latches and complete tables.
  const blif_model& collected() const { return model_; }

 private:
  friend int blifparse_bounded(int initial_depth, int max_depth);

  // Runs the action of `rule`; rhs points at the values of its right member,
  // `result` at the slot its value goes to: rhs[0], or the free slot after
  // the stack's top for an empty right member.
  void reduce(blif_rule_id rule, YYSTYPE* rhs, YYSTYPE& result);
  // The two reductions of a loop (blif_grammar.h) after the shift of its
  // token, whose slot is `top`: as reduce would run them, with their trace
  // lines written together when the log's buffer has room for both.
  void reduce_loop(const blif_loop& loop, YYSTYPE* top);
  // The action of `rule` without its trace line (not for the whole model).
  void act(blif_rule_id rule, YYSTYPE* rhs, YYSTYPE& result);
  // The actions that fill the model's lists and names, called by act.
  __attribute__((noinline)) void act_on_model(blif_rule_id rule, YYSTYPE* rhs, YYSTYPE& result);
  // Builds the automaton of the model just read, then empties the lists so
  // that the same parser can read the next model. Out of line, as is
  // act_on_model: the work done once per model or per table stays out of
  // the code run for every token.
  __attribute__((noinline)) void final_action();
  // The text of the identifier just reduced to ident. Every state that the
  // reduction of ident enters reduces at once, without reading a token, by a
  // rule that ends with ident, so the scanner still holds that text then.
  std::string_view scanned_name() const {
    return std::string_view(lexer->YYText(), static_cast<std::size_t>(lexer->YYLeng()));
  }
  // The lists as a model record, moved out of the parser.
  blif_model take_model();
  // Writes the trace line of rule `id` into the log when trace_mode is 1;
  // the identifier's rule takes the identifier's text.
  // The log is attached to trace_lines_ for the whole parse, and only it
  // writes there meanwhile.
  __attribute__((always_inline)) void trace(int id, const char* text, std::size_t length) {
    if (trace_mode != 1 || !trace_lines_.target_good()) return;
    const blif_trace_line& line = rule_lines_[id];
    if (line.size <= kBlifTraceWidth) {
      trace_lines_.append_padded<kBlifTraceWidth>(line.padded, line.size);
    } else {
      trace_lines_.append(line.text.data(), line.size);
    }
    if (text != nullptr) {
      trace_lines_.append(text, length);
      trace_lines_.append('\n');
    }
  }

  tessaro::outcome refusal_;
  blif_model model_;
  // The table whose rows are being read: its names are entered by its
  // declaration, and a copy joins the model once it is complete.
  blif_table table_;
  // The trace lines on their way to the log, handed over in large blocks:
  // at the end of each parse, before the assembly and when the process
  // ends through exit().
  tessaro::block_writer trace_lines_;
  // The trace line of each rule, by rule number (see trace).
  const blif_trace_line* rule_lines_;
  std::ostream trace_stream_{&trace_lines_};
};

// The current parser: set by the constructor and by parse, cleared by the
// destructor of the parser it points to.
extern class_blif_parser* pblif_parser;

// The parser driver; takes tokens from the parser's scanner as bliflex would.
// Returns 0 when the model was accepted, 1 after a syntax error, 2 when the
// stack overflowed, 3 when the assembly refused the model.
int blifparse();
// blifparse with a stack that starts with room for `initial_depth` states and
// doubles up to `max_depth`; blifparse uses 200 and 10000.
int blifparse_bounded(int initial_depth, int max_depth);
// Next token of the current parser's scanner; `value` is not used.
int bliflex(YYSTYPE* value);
// Writes the message and a line end on standard error.
void bliferror(const char* message);
