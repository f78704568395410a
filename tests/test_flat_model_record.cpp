// The flat record handed to the assembly (flat_model_record.h) builds the
// automaton the subset parser builds from the record's canonical text: the
// two automata write the same model, byte for byte, on subset files, on
// general inline files and on raw files.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "blif/blif_assembly.h"
#include "blif/blif_lexer.h"
#include "blif/blif_parser.h"
#include "blif/canonical_text.h"
#include "blif/flat_model_record.h"
#include "blif/general_reader.h"
#include "blif/name_encoding.h"
#include "tests/test_util.h"

namespace {

std::string written(const b_automaton& a) {
  std::ostringstream out;
  a.BLIF_put(out, 2, "m");
  return out.str();
}

// The model the subset parser builds from `text`.
std::string through_parser(const std::string& text) {
  testutil::TempDir d;
  std::istringstream in(text);
  std::ostringstream echo;
  blifFlexLexer lexer(&in, &echo);
  class_blif_parser parser;
  parser.lexer = &lexer;
  parser.file_name = "canonical.blif";
  lex_blif_newline_mode = 0;
  std::fstream log(d.file("log"), std::ios::out | std::ios::trunc);
  const int status = parser.parse(log, 0);
  std::unique_ptr<b_automaton> a(parser.automaton);
  parser.automaton = nullptr;
  EXPECT_EQ(status, 0) << text;
  EXPECT_EQ(echo.str(), "");
  return a ? written(*a) : std::string();
}

// The model the assembly builds from the general reader's record.
std::string through_record(const tessaro::flat_model& encoded) {
  std::unique_ptr<b_automaton> a;
  tessaro::outcome o = assemble_automaton(tessaro::to_blif_model(encoded), a);
  EXPECT_TRUE(o.ok()) << tessaro::diagnostic_line(o.error());
  return a ? written(*a) : std::string();
}

void expect_same_automaton(const std::string& text, const std::string& file) {
  SCOPED_TRACE(file);
  tessaro::flat_model m;
  std::vector<tessaro::diagnostic> w;
  tessaro::outcome o = tessaro::read_general_blif(text, file, m, w);
  ASSERT_TRUE(o.ok()) << tessaro::diagnostic_line(o.error());
  tessaro::encode_names(m);
  std::string canonical;
  ASSERT_TRUE(tessaro::write_canonical_text(m, canonical).ok());
  const std::string a = through_record(m);
  EXPECT_FALSE(a.empty());
  EXPECT_EQ(a, through_parser(canonical));
}

TEST(FlatModelRecord, CarriesNamesLatchesAndRowsOver) {
  tessaro::flat_model m;
  m.name = "m";
  m.file = "a.blif";
  m.inputs = {"a", "a"};
  m.outputs = {"y"};
  m.add_latch({"d", "q", 1, 4});
  m.add_table({{"a", "q", "d"}, {"1-1", "-01"}, 5});
  m.add_table({{"y"}, {}, 7});
  blif_model b = tessaro::to_blif_model(m);
  EXPECT_EQ(b.name, "m");
  EXPECT_EQ(b.file, "a.blif");
  EXPECT_EQ(b.inputs, m.inputs);
  EXPECT_EQ(b.outputs, m.outputs);
  ASSERT_EQ(b.latches.size(), 1u);
  EXPECT_EQ(b.latches[0].input, "d");
  EXPECT_EQ(b.latches[0].output, "q");
  EXPECT_EQ(b.latches[0].initial_value, 1);
  EXPECT_EQ(b.latches[0].line, 4);
  ASSERT_EQ(b.tables.size(), 2u);
  EXPECT_EQ(b.tables[0].names, m.tables[0].names);
  EXPECT_EQ(b.tables[0].rows.to_vectors(), (std::vector<std::vector<int>>{{1, 2, 1}, {2, 0, 1}}));
  EXPECT_EQ(b.tables[0].line, 5);
  EXPECT_TRUE(b.tables[1].rows.empty());
  blif_model moved = tessaro::to_blif_model(std::move(m));
  EXPECT_EQ(moved.tables[0].rows.to_vectors(), b.tables[0].rows.to_vectors());
  EXPECT_EQ(moved.latches[0].input, "d");
}

TEST(FlatModelRecord, BuildsTheAutomatonTheParserBuildsFromTheCanonicalText) {
  expect_same_automaton(
      ".model top.m\n.inputs a[0] b.1 \\\n c\n.outputs y$ z\n"
      ".latch n q re clk 2\n.names a[0] q n\n1- 1\n-0 1\n"
      ".subckt $_DFFE_PN_ C=clk D=b.1 E=c Q=z\n"
      ".subckt inner p=a[0] r=y$\n"
      ".names k\n.names a[0] b.1 e\n.end\n"
      ".model inner\n.inputs p\n.outputs r\n.names p t\n0 1\n.latch t r 1\n.end\n",
      "inline.blif");
  const std::string examples = std::string(TESSARO_SOURCE_DIR) + "/examples/";
  for (const char* f : {"counter.blif", "pulse.blif"})
    expect_same_automaton(testutil::read_file(examples + f), f);
}

TEST(FlatModelRecord, BenchmarkAndRawFiles) {
  const std::string b = testutil::benchmarks_dir();
  if (b.empty()) GTEST_SKIP() << "no benchmark folder";
  for (const char* f : {"s27.blif", "s1196.blif", "C432.blif", "s5378.blif", "raw/iscas/s27.blif",
                        "raw/mcnc/ex4.blif", "raw/lgsynth/C17.blif", "raw/abc/abc_strash_s27.blif",
                        "raw/lgsynth/s208.1.blif"}) {
    const std::string text = testutil::read_file(b + "/" + f);
    if (text.empty()) continue;
    expect_same_automaton(text, f);
  }
}

}  // namespace
