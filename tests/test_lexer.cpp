// BLIF scanner: token sequences, echoed bytes, newline mode, comments,
// restarts, buffer growth and fatal errors.
#include <gtest/gtest.h>

#include <iostream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "blif/blif_lexer.h"

namespace {

using Tokens = std::vector<std::pair<int, std::string>>;

// Every token up to the end of the input, with its text.
Tokens drain(blifFlexLexer& lexer) {
  Tokens tokens;
  for (int t = lexer.yylex(); t != 0; t = lexer.yylex())
    tokens.emplace_back(t, lexer.YYText());
  return tokens;
}

struct Scan {
  Tokens tokens;
  std::string echo;
};

Scan scan(const std::string& text) {
  std::istringstream in(text);
  std::ostringstream out;
  blifFlexLexer lexer(&in, &out);
  Scan s;
  s.tokens = drain(lexer);
  s.echo = out.str();
  return s;
}

const std::pair<int, std::string> kNl{TOKEN_NL, "\n"};
std::pair<int, std::string> id(const std::string& name) {
  return {TOKEN_ident, name};
}
const std::pair<int, std::string> kZero{TOKEN_ZERO, "0"};
const std::pair<int, std::string> kOne{TOKEN_ONE, "1"};
const std::pair<int, std::string> kIndif{TOKEN_indif, "-"};

class LexerTest : public ::testing::Test {
 protected:
  void SetUp() override { lex_blif_newline_mode = 0; }
};

TEST_F(LexerTest, KeywordsNeedNoSeparatorAndAreLowerCaseOnly) {
  Scan s = scan(".model m\n");
  EXPECT_EQ(s.tokens, (Tokens{{TOKEN_model, ".model"}, id("m")}));
  EXPECT_EQ(s.echo, "");

  EXPECT_EQ(scan(".endx").tokens, (Tokens{{TOKEN_end, ".end"}, id("x")}));
  EXPECT_EQ(scan(".latch0").tokens, (Tokens{{TOKEN_latch, ".latch"}, kZero}));
  EXPECT_EQ(scan(".inputs.outputs").tokens,
            (Tokens{{TOKEN_inputs, ".inputs"}, {TOKEN_outputs, ".outputs"}}));

  s = scan(".MODEL");
  EXPECT_EQ(s.tokens, (Tokens{id("MODEL")}));
  EXPECT_EQ(s.echo, ".");
}

TEST_F(LexerTest, DotOfNoKeywordIsEchoedAndDropped) {
  Scan s = scan(".subckt .exdc .default_input_arrival");
  EXPECT_EQ(s.tokens, (Tokens{id("subckt"), id("exdc"), id("default_input_arrival")}));
  EXPECT_EQ(s.echo, "...");

  // Keyword prefixes fall back to the dot alone, also at the end of the input.
  s = scan(".e.en .nam .mode.latc");
  EXPECT_EQ(s.tokens, (Tokens{id("e"), id("en"), id("nam"), id("mode"), id("latc")}));
  EXPECT_EQ(s.echo, ".....");
}

TEST_F(LexerTest, IdentifiersAndSingleCharacterTokens) {
  EXPECT_EQ(scan("1a").tokens, (Tokens{kOne, id("a")}));
  EXPECT_EQ(scan("a-b").tokens, (Tokens{id("a"), kIndif, id("b")}));
  EXPECT_EQ(scan("abc_12 _x Z9_").tokens, (Tokens{id("abc_12"), id("_x"), id("Z9_")}));

  Scan s = scan("x.y");
  EXPECT_EQ(s.tokens, (Tokens{id("x"), id("y")}));
  EXPECT_EQ(s.echo, ".");
  s = scan("a[0]");
  EXPECT_EQ(s.tokens, (Tokens{id("a"), kZero}));
  EXPECT_EQ(s.echo, "[]");
  s = scan("x=y");
  EXPECT_EQ(s.tokens, (Tokens{id("x"), id("y")}));
  EXPECT_EQ(s.echo, "=");
  s = scan("9x 2345678");
  EXPECT_EQ(s.tokens, (Tokens{id("x")}));
  EXPECT_EQ(s.echo, "92345678");

  // Bytes outside ASCII and the zero byte are echoed one by one.
  s = scan(std::string("a\xC3\xA9\0b", 5));
  EXPECT_EQ(s.tokens, (Tokens{id("a"), id("b")}));
  EXPECT_EQ(s.echo, std::string("\xC3\xA9\0", 3));
}

TEST_F(LexerTest, RowsWithOrWithoutBlanksGiveTheSameTokens) {
  EXPECT_EQ(scan("10 1").tokens, (Tokens{kOne, kZero, kOne}));
  EXPECT_EQ(scan("1 0\t1").tokens, (Tokens{kOne, kZero, kOne}));
  // A backslash is a blank: ignored, not echoed.
  Scan s = scan("1\\0\\\\1");
  EXPECT_EQ(s.tokens, (Tokens{kOne, kZero, kOne}));
  EXPECT_EQ(s.echo, "");
}

TEST_F(LexerTest, EmptyInputEndsAtOnceAndStaysEnded) {
  std::istringstream in("");
  std::ostringstream out;
  blifFlexLexer lexer(&in, &out);
  EXPECT_EQ(lexer.yylex(), 0);
  EXPECT_EQ(lexer.yylex(), 0);
  EXPECT_STREQ(lexer.YYText(), "");
  EXPECT_EQ(scan(" \t\n\n# only a comment\n").tokens, Tokens{});
}

TEST_F(LexerTest, LineEndsAreTokensFromNamesUpToTheNextKeyword) {
  Scan s = scan(".names a b x\n1-\n");
  EXPECT_EQ(s.tokens,
            (Tokens{{TOKEN_names, ".names"}, id("a"), id("b"), id("x"), kNl, kOne, kIndif, kNl}));
  EXPECT_EQ(lex_blif_newline_mode, 1);

  scan(".names a\n1\n.end\n");
  EXPECT_EQ(lex_blif_newline_mode, 0);
  for (const char* keyword : {".model", ".inputs", ".outputs", ".latch"}) {
    lex_blif_newline_mode = 1;
    scan(std::string(keyword) + "\n\n");
    EXPECT_EQ(lex_blif_newline_mode, 0) << keyword;
  }

  // Outside a table, name lists run over lines with or without backslashes.
  EXPECT_EQ(
      scan(".inputs a\nb \\\n c\n\n.outputs").tokens,
      (Tokens{{TOKEN_inputs, ".inputs"}, id("a"), id("b"), id("c"), {TOKEN_outputs, ".outputs"}}));
  // Identifiers and values leave the mode as it is.
  lex_blif_newline_mode = 1;
  EXPECT_EQ(scan("a 0 1 - ?\n").tokens, (Tokens{id("a"), kZero, kOne, kIndif, kNl}));
  EXPECT_EQ(lex_blif_newline_mode, 1);
}

TEST_F(LexerTest, LineEndRunsAndBlankLines) {
  lex_blif_newline_mode = 1;
  EXPECT_EQ(scan("1\n\n\n0").tokens, (Tokens{kOne, {TOKEN_NL, "\n\n\n"}, kZero}));
  EXPECT_EQ(scan("1\n  \n0").tokens, (Tokens{kOne, kNl, kNl, kZero}));
  // A backslash is a blank, not a line continuation.
  EXPECT_EQ(scan("a \\\nb").tokens, (Tokens{id("a"), kNl, id("b")}));
}

TEST_F(LexerTest, CarriageReturnsAreEchoedAndSplitLineEndRuns) {
  Scan s = scan(".names a\r\n1\r\n\r\n.end\r\n");
  EXPECT_EQ(s.tokens,
            (Tokens{{TOKEN_names, ".names"}, id("a"), kNl, kOne, kNl, kNl, {TOKEN_end, ".end"}}));
  EXPECT_EQ(s.echo, "\r\r\r\r");

  // Inside a comment the carriage return is ignored and the line end still
  // ends it.
  s = scan(".names a # c\r\n1\r\n");
  EXPECT_EQ(s.tokens, (Tokens{{TOKEN_names, ".names"}, id("a"), kOne, kNl}));
  EXPECT_EQ(s.echo, "\r");
}

TEST_F(LexerTest, CommentsRunToTheEndOfTheirLine) {
  // A trailing comment in a table swallows the row's line end.
  lex_blif_newline_mode = 1;
  EXPECT_EQ(scan("10 1 # comment\n").tokens, (Tokens{kOne, kZero, kOne}));
  // A comment line of its own leaves the table's tokens unchanged.
  EXPECT_EQ(scan(".names a\n1\n# row ## .end\n0\n").tokens,
            (Tokens{{TOKEN_names, ".names"}, id("a"), kNl, kOne, kNl, kZero, kNl}));
  EXPECT_EQ(lex_blif_newline_mode, 1);

  lex_blif_newline_mode = 0;
  Scan s = scan("#.names x ?=\n.model#\n");
  EXPECT_EQ(s.tokens, (Tokens{{TOKEN_model, ".model"}}));
  EXPECT_EQ(s.echo, "");
  EXPECT_EQ(lex_blif_newline_mode, 0);
  EXPECT_EQ(scan("a#b\nc").tokens, (Tokens{id("a"), id("c")}));
}

TEST_F(LexerTest, NewlineModeIsProcessWide) {
  lex_blif_newline_mode = 1;
  EXPECT_EQ(scan("\n").tokens, (Tokens{kNl}));
  EXPECT_EQ(lex_blif_newline_mode, 1);

  std::istringstream in1(".names\n");
  std::istringstream in2("\n");
  std::ostringstream out;
  lex_blif_newline_mode = 0;
  blifFlexLexer first(&in1, &out);
  blifFlexLexer second(&in2, &out);
  EXPECT_EQ(first.yylex(), TOKEN_names);
  EXPECT_EQ(second.yylex(), TOKEN_NL);
}

TEST_F(LexerTest, RestartKeepsCommentConditionAndNewlineMode) {
  std::istringstream first(".names a # open comment");
  std::istringstream second("x\ny\n");
  std::ostringstream out;
  blifFlexLexer lexer(&first, &out);
  EXPECT_EQ(drain(lexer), (Tokens{{TOKEN_names, ".names"}, id("a")}));
  lexer.yyrestart(&second);
  // "x" still belongs to the comment, and line ends are still tokens.
  EXPECT_EQ(drain(lexer), (Tokens{id("y"), kNl}));
}

TEST_F(LexerTest, RestartDiscardsTheBufferedRest) {
  // "+" has been read ahead to end the identifier; the restart drops it.
  std::istringstream in("ab+cd");
  std::ostringstream out;
  blifFlexLexer lexer(&in, &out);
  EXPECT_EQ(lexer.yylex(), TOKEN_ident);
  EXPECT_STREQ(lexer.YYText(), "ab");
  lexer.yyrestart(&in);
  EXPECT_EQ(drain(lexer), (Tokens{id("cd")}));
  EXPECT_EQ(out.str(), "");

  std::istringstream other("e");
  lexer.yyrestart(&other);
  EXPECT_EQ(drain(lexer), (Tokens{id("e")}));
}

TEST_F(LexerTest, RestartBeforeTheFirstTokenReplacesTheMissingInput) {
  std::istringstream in("a");
  std::ostringstream out;
  blifFlexLexer lexer(nullptr, &out);
  lexer.yyrestart(&in);
  EXPECT_EQ(drain(lexer), (Tokens{id("a")}));
}

TEST_F(LexerTest, TokensLongerThanTheBufferMakeItGrow) {
  std::string name = "n" + std::string(39998, 'x') + "9";
  Scan s = scan(".model " + name + " 1");
  ASSERT_EQ(s.tokens.size(), 3u);
  EXPECT_EQ(s.tokens[1], id(name));
  EXPECT_EQ(s.tokens[2], kOne);

  lex_blif_newline_mode = 1;
  EXPECT_EQ(scan(std::string(40000, ' ') + "a" + std::string(20000, '\n')).tokens,
            (Tokens{id("a"), {TOKEN_NL, std::string(20000, '\n')}}));
}

TEST_F(LexerTest, TinyBufferShiftsAndGrows) {
  std::istringstream in(".outputs abcdefghij k\n.latch");
  std::ostringstream out;
  blifFlexLexer lexer(nullptr, &out);
  lexer.yy_switch_to_buffer(lexer.yy_create_buffer(&in, 2));
  EXPECT_EQ(
      drain(lexer),
      (Tokens{{TOKEN_outputs, ".outputs"}, id("abcdefghij"), id("k"), {TOKEN_latch, ".latch"}}));
}

TEST_F(LexerTest, SwitchStreamsAndDeletedBuffers) {
  std::istringstream in1("a b");
  std::istringstream in2("c=d");
  std::ostringstream out1, out2;
  blifFlexLexer lexer(&in1, &out1);
  EXPECT_EQ(lexer.yylex(), TOKEN_ident);
  lexer.switch_streams(&in2, nullptr);
  EXPECT_EQ(lexer.yylex(), TOKEN_ident);
  EXPECT_STREQ(lexer.YYText(), "c");
  lexer.switch_streams(nullptr, &out2);
  EXPECT_EQ(drain(lexer), (Tokens{id("d")}));
  EXPECT_EQ(out1.str(), "");
  EXPECT_EQ(out2.str(), "=");

  // Deleting the current buffer drops what it held; the scanner then starts
  // a fresh one on the same input.
  std::istringstream in3("e+f");
  blifFlexLexer other(nullptr, &out1);
  yy_buffer_state* b = other.yy_create_buffer(&in3, 8);
  other.yy_switch_to_buffer(b);
  EXPECT_EQ(other.yylex(), TOKEN_ident);
  other.yy_delete_buffer(b);
  EXPECT_EQ(drain(other), (Tokens{id("f")}));
  EXPECT_EQ(out1.str(), "");
}

TEST_F(LexerTest, EchoGoesToStandardOutputByDefault) {
  std::istringstream in("a=b");
  blifFlexLexer lexer(&in, nullptr);
  testing::internal::CaptureStdout();
  Tokens tokens = drain(lexer);
  std::cout.flush();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "=");
  EXPECT_EQ(tokens, (Tokens{id("a"), id("b")}));
}

// A scanner over an input device that fails or misreports its reads.
class FaultyLexer : public blifFlexLexer {
 public:
  FaultyLexer(std::istream* in, std::ostream* out, int result)
      : blifFlexLexer(in, out), result_(result) {}

 protected:
  int LexerInput(char* buf, int max_size) override {
    buf[0] = 'a';
    return result_ > 0 ? max_size + result_ : result_;
  }

 private:
  int result_;
};

TEST(LexerDeathTest, FatalErrorsExitWithStatusTwo) {
  std::istringstream in("a");
  std::ostringstream out;
  EXPECT_EXIT(
      {
        FaultyLexer lexer(&in, &out, -1);
        lexer.yylex();
      },
      ::testing::ExitedWithCode(2), "^input in flex scanner failed\n$");
  EXPECT_EXIT(
      {
        FaultyLexer lexer(&in, &out, 1);
        lexer.yylex();
      },
      ::testing::ExitedWithCode(2), "^fatal flex scanner internal error--end of buffer missed\n$");
}

}  // namespace
