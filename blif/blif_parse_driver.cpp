// The table-driven LR driver of the BLIF grammar: shifts tokens from bliflex,
// reduces through the current parser's actions, and reports the first syntax
// error with the tokens the failing state would have shifted.
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "blif/blif_grammar.h"
#include "blif/blif_parser.h"

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
  // Parallel stacks of states and semantic values; the values still on the
  // stack are released with it whenever the parse ends.
  std::vector<int> states;
  std::vector<YYSTYPE> values;
  int room = initial_depth;
  states.reserve(room);
  values.reserve(room);

  int state = 0;
  int lookahead = kBlifNoToken;
  YYSTYPE unused;  // the scanner's value argument, which it leaves alone
  states.push_back(state);
  values.emplace_back();
  for (;;) {
    if (static_cast<int>(states.size()) >= room) {
      if (room >= max_depth) {
        bliferror("memory exhausted");
        return 2;
      }
      room = std::min(room * 2, max_depth);
      states.reserve(room);
      values.reserve(room);
    }

    const blif_rule_id rule = blif_default_rule(state);
    if (blif_needs_lookahead(state)) {
      if (lookahead == kBlifNoToken) {
        lookahead = std::max(bliflex(&unused), 0);
      }
      int target = blif_shift_target(state, lookahead);
      if (target != 0) {
        lookahead = kBlifNoToken;
        state = target;
        states.push_back(state);
        values.emplace_back();
        continue;
      }
      if (rule == blif_rule_id::none) {
        report_syntax_error(state, lookahead);
        return 1;
      }
    }
    if (rule == blif_rule_id::accept) return 0;

    const blif_rule& r = blif_rule_at(rule);
    YYSTYPE result;
    pblif_parser->reduce(rule, values.data() + values.size() - r.length, result);
    // A refused model ends the parse at once, before any further token.
    if (!pblif_parser->refusal_.ok()) return 3;
    states.erase(states.end() - r.length, states.end());
    values.erase(values.end() - r.length, values.end());
    state = blif_goto_target(states.back(), r.lhs);
    states.push_back(state);
    values.push_back(std::move(result));
  }
}
