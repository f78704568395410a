// The BLIF parser read through the real scanner: trace lines, collected lists,
// syntax error messages and where they are detected, and stack overflow.
#include <gtest/gtest.h>

#include <fstream>
#include <iostream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "blif/blif_grammar.h"
#include "blif/blif_lexer.h"
#include "blif/blif_parser.h"
#include "support/reference_paths.h"
#include "tests/blif_samples.h"
#include "tests/test_util.h"

namespace {

using Names = std::vector<std::string>;
using Rows = std::vector<std::vector<int>>;

const char kLatchOrNamesOrEnd[] = "expecting TOKEN_latch or TOKEN_names or TOKEN_end";

struct Outcome {
  int result = -1;
  std::string log;
  std::string err;
};

// One parser and one scanner reused across parses, as the driver does.
class ParserTest : public ::testing::Test {
 protected:
  ParserTest() : lexer_(nullptr, &echo_) { parser_.lexer = &lexer_; }

  // Parses `text` with a fresh log; `run` calls the parse itself.
  template <typename Run>
  Outcome capture(const std::string& text, Run run) {
    lex_blif_newline_mode = 0;
    input_.str(text);
    input_.clear();
    lexer_.yyrestart(&input_);
    std::fstream log(dir_.file("trace.log"), std::ios::out | std::ios::trunc);
    std::ostringstream err;
    std::streambuf* saved = std::cerr.rdbuf(err.rdbuf());
    Outcome out;
    out.result = run(log);
    std::cerr.rdbuf(saved);
    log.close();
    out.log = dir_.read("trace.log");
    out.err = err.str();
    return out;
  }

  Outcome parse(const std::string& text, int trace = 1) {
    Outcome out = capture(text, [&](std::fstream& log) { return parser_.parse(log, trace); });
    // The parser hands over what it builds; the test keeps the last model.
    built_.emplace_back(parser_.automaton);
    last_automaton_ = parser_.automaton;
    parser_.automaton = nullptr;
    return out;
  }
  ~ParserTest() override {
    // Models built by parses run without parse() above.
    built_.emplace_back(parser_.automaton);
  }
  std::vector<std::unique_ptr<b_automaton>> built_;
  b_automaton* last_automaton_ = nullptr;

  testutil::TempDir dir_;
  std::istringstream input_;
  std::ostringstream echo_;
  blifFlexLexer lexer_;
  class_blif_parser parser_;
};

std::string syntax_error(const std::string& unexpected, const std::string& expecting) {
  return "syntax error, unexpected " + unexpected + ", " + expecting + "\n";
}

std::string last_line(const std::string& log) {
  size_t end = log.size() - 1;
  size_t start = log.rfind('\n', end - 1);
  return log.substr(start == std::string::npos ? 0 : start + 1);
}

TEST_F(ParserTest, ExampleTraceListsAndReuse) {
  EXPECT_EQ(pblif_parser, &parser_);
  b_automaton* previous = nullptr;
  for (int round = 0; round < 2; ++round) {
    Outcome out = parse(kExample);
    EXPECT_EQ(out.result, 0);
    EXPECT_EQ(out.log, kExampleTrace);
    EXPECT_EQ(out.err, "");
    EXPECT_TRUE(parser_.collected().inputs.empty());
    EXPECT_TRUE(parser_.collected().outputs.empty());
    EXPECT_TRUE(parser_.collected().tables.empty());
    // Each model read gives a new automaton with its own manager.
    ASSERT_NE(last_automaton_, nullptr);
    EXPECT_NE(last_automaton_, previous);
    if (previous) {
      EXPECT_NE(last_automaton_->manager_associe(), previous->manager_associe());
    }
    EXPECT_EQ(last_automaton_->inputs_list(), std::list<std::string>{"a"});
    EXPECT_EQ(last_automaton_->outputs_list(), std::list<std::string>{"y"});
    EXPECT_EQ(last_automaton_->nb_equ_def(), 1);
    EXPECT_EQ(last_automaton_->nb_equ_trans(), 0);
    previous = last_automaton_;
  }
  EXPECT_EQ(echo_.str(), "");
}

TEST_F(ParserTest, TraceZeroWritesNothing) {
  Outcome out = parse(kExample, 0);
  EXPECT_EQ(out.result, 0);
  EXPECT_EQ(out.log, "");
}

TEST_F(ParserTest, MinimalModelAndEndWithoutLineEnd) {
  const std::string trace =
      "6 --> m\n19 --> nom circuit\n2 --> definition nom declaration\n"
      "3 --> definition liste inputs vide\n4 --> definition liste output vide\n"
      "7 --> equation booleenne gen seule\n1 --> definition finale\n";
  Outcome out = parse(".model m\n.end\n");
  EXPECT_EQ(out.result, 0);
  EXPECT_EQ(out.log, trace);
  out = parse(".model m .end");
  EXPECT_EQ(out.result, 0);
  EXPECT_EQ(out.log, trace);
}

// A model that fails on its last token keeps everything collected before.
TEST_F(ParserTest, CollectsNamesLatchesAndTables) {
  Outcome out = parse(
      ".model m\n.inputs a b \\\n c\n.outputs y\n.latch n s 1\n.latch n2 s2 0\n"
      ".names a s y\n1-0\n-11\n# comment line\n.names b\n1\n.exdc\n");
  EXPECT_EQ(out.result, 1);
  EXPECT_EQ(out.err, syntax_error("TOKEN_ident", kLatchOrNamesOrEnd));
  const blif_model& m = parser_.collected();
  EXPECT_EQ(m.inputs, (Names{"a", "b", "c"}));
  EXPECT_EQ(m.outputs, (Names{"y"}));
  ASSERT_EQ(m.latches.size(), 2u);
  EXPECT_EQ(m.latches[0].input + " " + m.latches[0].output, "n s");
  EXPECT_EQ(m.latches[1].input + " " + m.latches[1].output, "n2 s2");
  EXPECT_EQ(m.latches[0].initial_value, 1);
  EXPECT_EQ(m.latches[1].initial_value, 0);
  ASSERT_EQ(m.tables.size(), 2u);
  EXPECT_EQ(m.tables.front().names, (Names{"a", "s", "y"}));
  EXPECT_EQ(m.tables.front().rows.to_vectors(), (Rows{{1, 2, 0}, {2, 1, 1}}));
  EXPECT_EQ(m.tables.back().names, (Names{"b"}));
  EXPECT_EQ(m.tables.back().rows.to_vectors(), (Rows{{1}}));
  EXPECT_EQ(last_line(out.log), "7,2 --> ajout equation gen liste\n");
  EXPECT_NE(out.log.find("9 --> def equation latch\n8 --> equation de latch\n"), std::string::npos);
  EXPECT_NE(out.log.find("14 --> valeur initiale 0\n"), std::string::npos);
  EXPECT_NE(out.log.find("18,3 --> indiferent detecte :\n"), std::string::npos);
  EXPECT_NE(out.log.find("15,2 --> OR produit\n"), std::string::npos);
}

TEST_F(ParserTest, UnknownConstructsInNameListsBecomeNames) {
  Outcome out = parse(".model m\n.inputs a\n.outputs y\n.subckt f a=a y=y\n");
  EXPECT_EQ(out.err, syntax_error("$end", kLatchOrNamesOrEnd));
  EXPECT_EQ(parser_.collected().outputs, (Names{"y", "subckt", "f", "a", "a", "y", "y"}));
  EXPECT_EQ(echo_.str(), ".==");
  EXPECT_EQ(parse(".model m\n.inputs a\n.outputs y\n.subckt f a=a y=y\n.end\n").result, 0);
}

struct ErrorCase {
  const char* text;
  const char* unexpected;
  const char* expecting;
};

TEST_F(ParserTest, SyntaxErrorsNameTokenAndExpectedSet) {
  const ErrorCase cases[] = {
      {"", "$end", "expecting TOKEN_model"},
      {"x", "TOKEN_ident", "expecting TOKEN_model"},
      {".model\n.end\n", "TOKEN_end", "expecting TOKEN_ident"},
      {".model m\n.inputs\n.outputs y\n.end\n", "TOKEN_outputs", "expecting TOKEN_ident"},
      {".model m\n.outputs\n.end\n", "TOKEN_end", "expecting TOKEN_ident"},
      {".model m\n.latch\n.end\n", "TOKEN_end", "expecting TOKEN_ident"},
      {".model m\n.names\n1\n", "TOKEN_NL", "expecting TOKEN_ident"},
      {".model m\n.latch a\n.end\n", "TOKEN_end", "expecting TOKEN_ident"},
      {".model m\n.latch a y 2\n.end\n", "TOKEN_end", "expecting TOKEN_ZERO or TOKEN_ONE"},
      {".model m\n.latch a y\n.end\n", "TOKEN_end", "expecting TOKEN_ZERO or TOKEN_ONE"},
      {".model m\n.latch in out re clk 0\n.end\n", "TOKEN_ident",
       "expecting TOKEN_ZERO or TOKEN_ONE"},
      {".model m\n.inputs a\n.inputs b\n.end\n", "TOKEN_inputs", kLatchOrNamesOrEnd},
      {".model m\n.outputs y\n.inputs a\n.end\n", "TOKEN_inputs", kLatchOrNamesOrEnd},
      {".model m\n.names a y\n.end\n", "TOKEN_end",
       "expecting TOKEN_ZERO or TOKEN_ONE or TOKEN_indif"},
      {".model m\n.names a y\n1 1\n \n.end\n", "TOKEN_NL", kLatchOrNamesOrEnd},
      {".model m\n.names a y\n1 1", "$end", "expecting TOKEN_NL"},
      {".model m\n.names a y\n1 1 # note\n.end\n", "TOKEN_end", "expecting TOKEN_NL"},
      {".model m\n.names a y\n1 1\n0 x\n", "TOKEN_ident", "expecting TOKEN_NL"},
      {".model m\n.end\n.model n\n.end\n", "TOKEN_model", "expecting $end"},
  };
  for (const ErrorCase& c : cases) {
    Outcome out = parse(c.text);
    EXPECT_EQ(out.result, 1) << c.text;
    EXPECT_EQ(out.err, syntax_error(c.unexpected, c.expecting)) << c.text;
  }
}

TEST_F(ParserTest, EmptyLineAfterTableIsAccepted) {
  EXPECT_EQ(parse(".model m\n.names a y\n1 1\n\n\n.end\n").result, 0);
}

// Default reductions run, with their trace, before the error is seen.
TEST_F(ParserTest, TraceRunsUpToTheError) {
  Outcome out = parse(".model m\n.names a y # note\n1 1\n.end\n");
  EXPECT_EQ(out.err, syntax_error("TOKEN_ONE", "expecting TOKEN_NL"));
  EXPECT_EQ(last_line(out.log), "11 --> def declaration bool\n");
  const std::string tail = "6 --> y\n5,2 --> ajout ident liste\n11 --> def declaration bool\n";
  ASSERT_GE(out.log.size(), tail.size());
  EXPECT_EQ(out.log.substr(out.log.size() - tail.size()), tail);

  out = parse(".model m\n.inputs a\n.inputs b\n");
  EXPECT_EQ(last_line(out.log), "7 --> equation booleenne gen seule\n");
  EXPECT_NE(out.log.find("3,2 --> definition liste inputs\n4 --> definition liste output vide\n"),
            std::string::npos);
}

TEST_F(ParserTest, JunkAfterEndFailsAfterTheFinalAction) {
  Outcome out = parse(".model m\n.inputs a\n.end\nx\n");
  EXPECT_EQ(out.result, 1);
  EXPECT_EQ(out.err, syntax_error("TOKEN_ident", "expecting $end"));
  EXPECT_EQ(last_line(out.log), "1 --> definition finale\n");
  EXPECT_TRUE(parser_.collected().inputs.empty());
}

TEST_F(ParserTest, StackOverflowReportsMemoryExhausted) {
  // The example reaches a depth of nine states when it shifts its second value.
  auto bounded = [this](int max_depth) {
    return [this, max_depth](std::fstream& log) {
      parser_.log_stream = &log;
      parser_.trace_mode = 1;
      return blifparse_bounded(2, max_depth);
    };
  };
  Outcome out = capture(kExample, bounded(9));
  EXPECT_EQ(out.result, 2);
  EXPECT_EQ(out.err, "memory exhausted\n");
  EXPECT_EQ(last_line(out.log), "17 -->  liste de var a 1 element\n");
  out = capture(kExample, bounded(10));
  EXPECT_EQ(out.result, 0);
  EXPECT_EQ(out.err, "");
}

// An identifier's value is the scanner's text, read by the rule that takes
// the identifier before any further token: every state entered by the
// reduction to ident reduces at once by a rule whose right member ends with
// ident.
TEST(ParserTables, IdentIsTakenBeforeTheNextToken) {
  using r = blif_rule_id;
  int entered = 0;
  for (int s = 0; s < kBlifStateCount; ++s) {
    const int t = blif_goto_target(s, blif_nt::ident);
    if (t == 0) continue;
    ++entered;
    EXPECT_FALSE(blif_needs_lookahead(t)) << "state " << t;
    const r rule = blif_default_rule(t);
    EXPECT_TRUE(rule == r::ident_list_first || rule == r::ident_list_append ||
                rule == r::next_var || rule == r::actual_var || rule == r::nom_circuit)
        << "state " << t;
  }
  EXPECT_EQ(entered, 9);
}

// Names of every length, short and long, reach the model whole, also when
// they follow one another without blanks between them and a value.
TEST_F(ParserTest, NamesOfEveryLengthReachTheModel) {
  const std::string long_name = "L" + std::string(40000, 'x');
  Outcome out = parse(".model m\n.inputs a " + long_name + " b_1\n.outputs y\n.latch " + long_name +
                      " s 0\n.names a " + long_name + " y\n1-1\n.end\n");
  EXPECT_EQ(out.result, 0);
  EXPECT_EQ(out.err, "");
  ASSERT_NE(last_automaton_, nullptr);
  EXPECT_EQ(last_automaton_->inputs_list(), (std::list<std::string>{"a", long_name, "b_1"}));
  EXPECT_NE(out.log.find("6 --> " + long_name + "\n12 --> def var suivante\n"), std::string::npos);
}

// Names around the width copied as one block, each after a longer one whose
// bytes stay behind it in the scanner's storage, in lists (taken with the
// next reduction) and alone: every trace line holds the name and nothing
// after it.
TEST_F(ParserTest, TraceLinesOfNamesAroundTheBlockWidth) {
  std::vector<std::string> names{"L" + std::string(40, 'x')};
  for (int length = 20; length >= 1; --length)
    names.push_back(std::string(static_cast<std::size_t>(length - 1), 'q') + "Z");
  std::string text = ".model " + names[1] + "\n.inputs";
  for (const std::string& name : names)
    text += " " + name;
  text += "\n.outputs y\n.latch " + names[0] + " " + names[15] + " 0\n.names " + names[3] +
          " y\n1 1\n.end\n";
  Outcome out = parse(text);
  EXPECT_EQ(out.err, "");
  std::vector<std::string> traced;
  std::istringstream lines(out.log);
  for (std::string line; std::getline(lines, line);) {
    if (line.compare(0, 6, "6 --> ") == 0) traced.push_back(line.substr(6));
  }
  std::vector<std::string> expected{names[1]};
  expected.insert(expected.end(), names.begin(), names.end());
  expected.insert(expected.end(), {"y", names[0], names[15], names[3], "y"});
  EXPECT_EQ(traced, expected);
}

// Hands the parser a fixed sequence of token codes and identifier texts.
class ScriptedLexer : public blifFlexLexer {
 public:
  ScriptedLexer(std::vector<int> codes, std::vector<std::string> texts)
      : codes_(std::move(codes)), texts_(std::move(texts)) {}
  int yylex() override {
    if (next_ >= codes_.size()) return 0;
    current_ = texts_[next_];
    yytext = &current_[0];
    yyleng = static_cast<int>(current_.size());
    return codes_[next_++];
  }

 private:
  std::vector<int> codes_;
  std::vector<std::string> texts_;
  std::string current_;
  size_t next_ = 0;
};

TEST(ParserTokens, UnknownCodesAndNegativeEnd) {
  class_blif_parser parser;
  ScriptedLexer undefined({TOKEN_model, TOKEN_ident, 42}, {".model", "m", "*"});
  parser.lexer = &undefined;
  testutil::TempDir dir;
  std::fstream log(dir.file("t.log"), std::ios::out | std::ios::trunc);
  std::ostringstream err;
  std::streambuf* saved = std::cerr.rdbuf(err.rdbuf());
  int result = parser.parse(log, 1);
  ScriptedLexer negative({TOKEN_model, TOKEN_ident, TOKEN_end, -1}, {".model", "m", ".end", ""});
  parser.lexer = &negative;
  int negative_result = parser.parse(log, 0);
  std::cerr.rdbuf(saved);
  std::unique_ptr<b_automaton> automaton(parser.automaton);
  EXPECT_EQ(result, 1);
  EXPECT_EQ(err.str(), syntax_error("$undefined", kLatchOrNamesOrEnd));
  EXPECT_EQ(negative_result, 0);
}

// A log whose second block fails to be written and which takes text again
// afterwards: the parser stops tracing at the failure, so the log holds the
// first block and then only what was gathered when the failure was seen.
class flaky_log : public std::streambuf {
 public:
  std::string written;
  std::vector<std::size_t> calls;  // size of each block handed over

 protected:
  std::streamsize xsputn(const char* text, std::streamsize n) override {
    calls.push_back(static_cast<std::size_t>(n));
    if (calls.size() == 2) return 0;
    written.append(text, static_cast<std::size_t>(n));
    return n;
  }
  int_type overflow(int_type c) override { return c; }
};

TEST(ParserTrace, StopsAtTheFirstFailedWriteOfTheLog) {
  std::string model = ".model m\n.inputs a\n";
  for (int i = 0; i < 2000; ++i)
    model += ".names a y" + std::to_string(i) + "\n0 1\n";
  model += ".end\n";
  auto run = [&](std::ostream& log) {
    lex_blif_newline_mode = 0;
    std::istringstream in(model);
    std::ostringstream echo;
    blifFlexLexer lexer(&in, &echo);
    class_blif_parser parser;
    parser.lexer = &lexer;
    const int result = parser.parse(log, 1);
    delete parser.automaton;
    return result;
  };
  std::ostringstream whole;
  ASSERT_EQ(run(whole), 0);
  const std::string trace = whole.str();
  ASSERT_GT(trace.size(), std::size_t{3} << 16);

  flaky_log buffer;
  std::ostream log(&buffer);
  EXPECT_EQ(run(log), 0);
  ASSERT_EQ(buffer.calls.size(), 3u);
  const std::size_t first = buffer.calls[0];
  const std::size_t resumed = first + buffer.calls[1];
  EXPECT_LE(buffer.calls[2], kBlifTraceWidth);
  EXPECT_EQ(buffer.written, trace.substr(0, first) + trace.substr(resumed, buffer.calls[2]));
}

// What one parse shows: its result, trace, messages and what it collected.
struct Parsed {
  int result = -1;
  std::string log;
  std::string err;
  bool built = false;
  blif_model model;
};

Parsed parse_with(const std::string& text, bool plain, int initial_depth, int max_depth) {
  tessaro::reference_paths() = plain;
  lex_blif_newline_mode = 0;
  std::istringstream in(text);
  std::ostringstream echo;
  std::ostringstream log;
  blifFlexLexer lexer(&in, &echo);
  class_blif_parser parser;
  parser.lexer = &lexer;
  parser.log_stream = &log;
  parser.trace_mode = 1;
  std::ostringstream err;
  std::streambuf* saved = std::cerr.rdbuf(err.rdbuf());
  Parsed out;
  out.result = blifparse_bounded(initial_depth, max_depth);
  std::cerr.rdbuf(saved);
  tessaro::reference_paths() = false;
  std::unique_ptr<b_automaton> automaton(parser.automaton);
  out.built = automaton != nullptr;
  out.log = log.str();
  out.err = err.str();
  out.model = parser.collected();
  return out;
}

// Mostly well-formed models, cut short, with tokens dropped, doubled or out
// of place, and now and then a tiny stack.
TEST(ParserLoops, SameStepsAsThePlainLoopOnRandomModels) {
  const char* const pieces[] = {".inputs", ".outputs", ".latch", ".names", ".end", "\n",
                                "0",       "1",        "-",      "a",      "bc",   "x_12"};
  std::mt19937 random(20261210);
  int ended = 0;  // accepted or refused by the assembly
  int exhausted = 0;
  for (int round = 0; round < 400; ++round) {
    std::string text = ".model m\n";
    if (random() % 2) text += ".inputs a b c d\n";
    if (random() % 2) text += ".outputs y z\n";
    const int items = static_cast<int>(random() % 12);
    for (int i = 0; i < items; ++i) {
      if (random() % 3 == 0) {
        text += ".latch a y 1\n";
        continue;
      }
      text += ".names";
      for (int n = 1 + static_cast<int>(random() % 5); n > 0; --n)
        text += " n" + std::to_string(random() % 9);
      for (int rows = 1 + static_cast<int>(random() % 3); rows > 0; --rows) {
        text += "\n";
        for (int n = 1 + static_cast<int>(random() % 6); n > 0; --n)
          text += "01-"[random() % 3];
      }
      text += "\n";
    }
    text += ".end\n";
    // Faults: a piece dropped in, a cut, a doubled line end.
    for (int faults = static_cast<int>(random() % 3); faults > 0; --faults) {
      const std::size_t at = random() % text.size();
      switch (random() % 3) {
        case 0:
          text.insert(at, std::string(" ") + pieces[random() % 12] + " ");
          break;
        case 1:
          text.resize(at);
          break;
        default:
          text.insert(at, "\n");
      }
    }
    const bool small = random() % 4 == 0;
    const int initial = small ? 1 + static_cast<int>(random() % 4) : 200;
    const int max = small ? initial + static_cast<int>(random() % 12) : 10000;
    const Parsed fast = parse_with(text, false, initial, max);
    const Parsed plain = parse_with(text, true, initial, max);
    ASSERT_EQ(fast.result, plain.result) << text;
    ASSERT_EQ(fast.log, plain.log) << text;
    ASSERT_EQ(fast.err, plain.err) << text;
    ASSERT_EQ(fast.built, plain.built) << text;
    ASSERT_EQ(fast.model.inputs, plain.model.inputs) << text;
    ASSERT_EQ(fast.model.outputs, plain.model.outputs) << text;
    ASSERT_EQ(fast.model.tables.size(), plain.model.tables.size()) << text;
    for (std::size_t t = 0; t < fast.model.tables.size(); ++t) {
      ASSERT_EQ(fast.model.tables[t].names, plain.model.tables[t].names) << text;
      ASSERT_EQ(fast.model.tables[t].rows.to_vectors(), plain.model.tables[t].rows.to_vectors())
          << text;
    }
    ASSERT_EQ(fast.model.latches.size(), plain.model.latches.size()) << text;
    ended += fast.result == 0 || fast.result == 3;
    exhausted += fast.result == 2;
  }
  // The rounds reach both ends.
  EXPECT_GT(ended, 40);
  EXPECT_GT(exhausted, 10);
}

// The loops found are the lists of identifiers and of values, in each state
// that extends one: without them the test above compares the plain loop
// with itself.
TEST(ParserLoops, FoundInTheTables) {
  using r = blif_rule_id;
  const blif_lookups& t = blif_parse_lookups();
  int loops = 0;
  for (int s = 0; s < kBlifStateCount; ++s) {
    for (int c = 0; c < kBlifTokenColumns; ++c) {
      const blif_loop& loop = t.loop[s][c];
      if (loop.member == r::none) continue;
      ++loops;
      EXPECT_TRUE(loop.extend == r::ident_list_append || loop.extend == r::value_list_append)
          << "state " << s;
    }
  }
  // Three lists of identifiers, one of values with its three tokens.
  EXPECT_EQ(loops, 6);
}

}  // namespace
