// The parser object, its token function, its messages and the actions of the
// grammar's rules.
#include "blif/blif_parser.h"

#include <cstring>
#include <iostream>
#include <memory>
#include <string>
#include <utility>

#include "blif/blif_assembly.h"
#include "blif/blif_grammar.h"
#include "support/exit_flush.h"

class_blif_parser* pblif_parser = nullptr;

namespace {

// The trace line of every rule.
struct rule_lines {
  blif_trace_line line[kBlifRuleCount];

  rule_lines() {
    for (int i = 0; i < kBlifRuleCount; ++i) {
      const blif_rule& rule = blif_rule_at(static_cast<blif_rule_id>(i));
      std::string& text = line[i].text;
      text = std::to_string(rule.n);
      if (rule.k != 1) text += ',' + std::to_string(rule.k);
      text += " --> ";
      if (rule.text != nullptr) {
        text += rule.text;
        text += '\n';
      }
      line[i].size = text.size();
      if (text.size() <= kBlifTraceWidth) text.copy(line[i].padded, text.size());
    }
  }
};

const blif_trace_line* trace_texts() {
  static const rule_lines lines;
  return lines.line;
}

}  // namespace

class_blif_parser::class_blif_parser() : rule_lines_(trace_texts()) {
  pblif_parser = this;
  tessaro::flush_at_exit(trace_stream_);
}

class_blif_parser::~class_blif_parser() {
  tessaro::forget_at_exit(trace_stream_);
  if (pblif_parser == this) pblif_parser = nullptr;
}

int class_blif_parser::parse(std::ostream& log, int trace) {
  log_stream = &log;
  trace_mode = trace;
  refusal_ = tessaro::outcome();
  pblif_parser = this;
  return blifparse();
}

int bliflex(YYSTYPE* /*value*/) {
  if (pblif_parser == nullptr || pblif_parser->lexer == nullptr) return TOKEN_END_OF_INPUT;
  return pblif_parser->lexer->yylex();
}

void bliferror(const char* message) {
  std::cerr << message << std::endl;
}

// The actions met once per token or more, kept small; the others build the
// model's lists (act_on_model).
inline void class_blif_parser::act(blif_rule_id rule, YYSTYPE* rhs, YYSTYPE& result) {
  using r = blif_rule_id;
  switch (rule) {
    case r::value_zero:    // TOKEN_ZERO
    case r::initial_zero:  // TOKEN_ZERO
      result.number = 0;
      return;
    case r::value_one:    // TOKEN_ONE
    case r::initial_one:  // TOKEN_ONE
      result.number = 1;
      return;
    case r::value_indif:  // TOKEN_indif
      result.number = 2;
      return;
    case r::value_list_first:  // value
      table_.rows.start_row();
      table_.rows.push(rhs[0].number);
      return;
    case r::value_list_append:  // value_list value
      table_.rows.push(rhs[1].number);
      return;
    case r::ident_list_append:  // ident_list ident (result is the list's slot)
      result.names.emplace_back(scanned_name());
      return;
    case r::prod_list_first:
    case r::prod_list_append:
    case r::prod:
    case r::inputs_empty:
    case r::outputs_empty:
    case r::equations_empty:
    case r::equations_append:
    case r::equation_of_latch:
    case r::equation_of_table:
    case r::ident:
      return;  // these carry no value of their own (an ident's is the scanner's text)
    default:
      act_on_model(rule, rhs, result);
      return;
  }
}

void class_blif_parser::reduce(blif_rule_id rule, YYSTYPE* rhs, YYSTYPE& result) {
  using r = blif_rule_id;
  if (rule == r::ident) {
    // The identifier's value is the scanner's text, which each rule with
    // ident in its right member reads before the next token (see
    // scanned_name).
    const std::size_t size = static_cast<std::size_t>(lexer->YYLeng());
    const blif_trace_line& line = rule_lines_[static_cast<int>(rule)];
    if (trace_mode == 1 && trace_lines_.target_good() && line.size <= kBlifTraceWidth &&
        size < blifFlexLexer::kTextBlock && lexer->text_is_own() &&
        trace_lines_.room() >= kBlifTraceWidth + blifFlexLexer::kTextBlock + 1) {
      // A short name of the scanner's own storage: the line as three blocks.
      char* const start = trace_lines_.cursor();
      std::memcpy(start, line.padded, kBlifTraceWidth);
      std::memcpy(start + line.size, lexer->YYText(), blifFlexLexer::kTextBlock);
      start[line.size + size] = '\n';
      trace_lines_.advance(line.size + size + 1);
      return;
    }
    trace(static_cast<int>(rule), lexer->YYText(), size);
    return;
  }
  if (rule == r::boolean_automaton) {
    final_action();
    return;
  }
  trace(static_cast<int>(rule), nullptr, 0);
  act(rule, rhs, result);
}

void class_blif_parser::reduce_loop(const blif_loop& loop, YYSTYPE* top) {
  const blif_trace_line& first = rule_lines_[static_cast<int>(loop.member)];
  const blif_trace_line& second = rule_lines_[static_cast<int>(loop.extend)];
  const bool named = loop.member == blif_rule_id::ident;
  const std::size_t name_size = named ? static_cast<std::size_t>(lexer->YYLeng()) : 0;
  if (trace_mode == 1 && trace_lines_.target_good()) {
    if (first.size <= kBlifTraceWidth && second.size <= kBlifTraceWidth &&
        trace_lines_.room() >= 2 * kBlifTraceWidth + name_size + 1) {
      // No push between the lines, so the log's state is the same for both.
      char* const start = trace_lines_.cursor();
      char* out = start;
      std::memcpy(out, first.padded, kBlifTraceWidth);
      out += first.size;
      if (named) {
        // A short name of the scanner's own storage goes as a block: the
        // room checked above holds it.
        if (name_size < blifFlexLexer::kTextBlock && lexer->text_is_own()) {
          std::memcpy(out, lexer->YYText(), blifFlexLexer::kTextBlock);
        } else {
          std::memcpy(out, lexer->YYText(), name_size);
        }
        out += name_size;
        *out++ = '\n';
      }
      std::memcpy(out, second.padded, kBlifTraceWidth);
      out += second.size;
      trace_lines_.advance(static_cast<std::size_t>(out - start));
    } else {
      trace(static_cast<int>(loop.member), named ? lexer->YYText() : nullptr, name_size);
      trace(static_cast<int>(loop.extend), nullptr, 0);
    }
  }
  act(loop.member, top, *top);
  act(loop.extend, top - 1, top[-1]);
}

void class_blif_parser::act_on_model(blif_rule_id rule, YYSTYPE* rhs, YYSTYPE& result) {
  using r = blif_rule_id;
  switch (rule) {
    case r::nom_declaration:  // TOKEN_model nom_circuit
      model_name = rhs[1].text;
      break;
    case r::inputs_list:  // TOKEN_inputs ident_list
      model_.inputs = std::move(rhs[1].names);
      break;
    case r::outputs_list:  // TOKEN_outputs ident_list
      model_.outputs = std::move(rhs[1].names);
      break;
    case r::ident_list_first:  // ident (result is its slot)
      result.names.clear();
      result.names.reserve(4);
      result.names.emplace_back(scanned_name());
      break;
    case r::latch:  // TOKEN_latch next_var actual_var initial_value
      model_.latches.push_back({std::move(rhs[1].text), std::move(rhs[2].text), rhs[3].number, 0});
      break;
    case r::table:  // declaration_bool TOKEN_NL prod_list TOKEN_NL
    {
      // The rows are copied at their exact size; the parser's own keep
      // their room for the next table.
      // The names change hands by a swap, which leaves the parser's list
      // empty as a move would.
      model_.tables.emplace_back();
      blif_table& table = model_.tables.back();
      table.names.swap(table_.names);
      table.rows = table_.rows;
      break;
    }
    case r::declaration_bool:  // TOKEN_names ident_list
      // As a move would: the slot's list is left empty.
      table_.names.clear();
      table_.names.swap(rhs[1].names);
      table_.rows.clear();
      break;
    case r::next_var:     // ident
    case r::actual_var:   // ident
    case r::nom_circuit:  // ident
      result.text.assign(scanned_name());
      break;
    default:
      break;  // taken by act
  }
}

void class_blif_parser::final_action() {
  trace(static_cast<int>(blif_rule_id::boolean_automaton), nullptr, 0);
  // The assembly may end the process; every line before it is in the log.
  trace_lines_.push();
  std::unique_ptr<b_automaton> built;
  refusal_ = assemble_automaton(take_model(), built);
  automaton = built.release();
}

blif_model class_blif_parser::take_model() {
  blif_model model = std::move(model_);
  model_ = blif_model();
  model.name = model_name;
  model.file = file_name;
  return model;
}
