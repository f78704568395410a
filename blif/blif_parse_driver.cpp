// The table-driven LR driver of the BLIF grammar: shifts tokens from the scanner,
// reduces through the current parser's actions, and reports the first syntax
// error with the tokens the failing state would have shifted.
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "blif/blif_grammar.h"
#include "blif/blif_parser.h"
#include "support/reference_paths.h"

namespace {

constexpr int kInitialDepth = 200;
constexpr int kMaxDepth = 10000;
// A state listing more tokens than this gets no "expecting" part.
constexpr int kMaxExpected = 4;

void report_syntax_error(int state, int token) {
  std::string message = "syntax error, unexpected ";
  message += blif_token_name(token);
  int expected[kMaxExpected + 1];
  int count = blif_shifted_tokens(state, expected, kMaxExpected + 1);
  if (count <= kMaxExpected) {
    for (int i = 0; i < count; ++i) {
      message += i == 0 ? ", expecting " : " or ";
      message += blif_token_name(expected[i]);
    }
  }
  bliferror(message.c_str());
}

}  // namespace

int blifparse() {
  return blifparse_bounded(kInitialDepth, kMaxDepth);
}

int blifparse_bounded(int initial_depth, int max_depth) {
  // Parallel stacks of states and semantic values, `depth` entries deep.
  // Popping only lowers the depth: a slot's old value is replaced when the
  // slot is used again, and the values left are released with the stacks
  // whenever the parse ends.
  int room = std::max(initial_depth, 1);
  std::vector<int> states(static_cast<std::size_t>(room));
  std::vector<YYSTYPE> values(static_cast<std::size_t>(room));
  int depth = 0;
  // The trace lines reach the log by the end of the parse, however it ends.
  struct trace_scope {
    class_blif_parser* parser;
    explicit trace_scope(class_blif_parser* p) : parser(p) {
      if (parser) parser->trace_lines_.attach(parser->log_stream);
    }
    ~trace_scope() {
      if (parser) parser->trace_lines_.attach(nullptr);
    }
  } scope(pblif_parser);

  const blif_lookups& table = blif_parse_lookups();
  const bool loops = !tessaro::reference_paths();
  int state = 0;
  int lookahead = kBlifNoToken;
  int column = 0;  // of the lookahead in table.shift
  // The scanner, taken as bliflex would take it: nothing run by the parse
  // sets another parser or scanner.
  blifFlexLexer* const lexer = pblif_parser != nullptr ? pblif_parser->lexer : nullptr;
  auto next_token = [lexer] {
    return lexer != nullptr ? std::max(lexer->yylex(), 0) : TOKEN_END_OF_INPUT;
  };
  auto push = [&](int next) {
    states[static_cast<std::size_t>(depth)] = next;
    ++depth;
  };
  push(state);
  for (;;) {
    if (depth >= room) {
      if (room >= max_depth) {
        bliferror("memory exhausted");
        return 2;
      }
      room = std::min(room * 2, max_depth);
      states.resize(static_cast<std::size_t>(room));
      values.resize(static_cast<std::size_t>(room));
    }

    const blif_rule_id rule = table.default_rule[state];
    if (table.needs_lookahead[state]) {
      if (lookahead == kBlifNoToken) {
        lookahead = next_token();
        column = blif_token_column(lookahead);
      }
      // A loop takes the tokens of its list here, each with its two
      // reductions, as long as the stack has room for the two states the
      // steps push; they leave the state and the depth as they were.
      if (loops) {
        while (table.loop[state][column].member != blif_rule_id::none && depth + 1 < room) {
          pblif_parser->reduce_loop(table.loop[state][column], values.data() + depth);
          lookahead = next_token();
          column = blif_token_column(lookahead);
        }
      }
      const int target = table.shift[state][column];
      if (target != 0) {
        // A token's value is never read: its slot keeps what it held.
        lookahead = kBlifNoToken;
        state = target;
        push(state);
        continue;
      }
      if (rule == blif_rule_id::none) {
        report_syntax_error(state, lookahead);
        return 1;
      }
    }
    if (rule == blif_rule_id::accept) return 0;

    // The value goes over the slot of the right member's first symbol, the
    // slot the left member takes (the free one above the top for an empty
    // right member, which the room check above keeps in range).
    const int number = static_cast<int>(rule);
    depth -= table.rule_length[number];
    YYSTYPE* rhs = values.data() + depth;
    pblif_parser->reduce(rule, rhs, *rhs);
    // A refused model ends the parse at once, before any further token.
    if (rule == blif_rule_id::boolean_automaton && !pblif_parser->refusal_.ok()) return 3;
    state = table.go_to[states[static_cast<std::size_t>(depth - 1)]]
                       [static_cast<int>(table.rule_lhs[number])];
    push(state);
  }
}
