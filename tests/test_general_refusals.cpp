// What the general BLIF reader refuses, with the exact line a driver
// prints for it (file, line, text) and the signal it names; and its
// behaviour on hostile input: deep and wide hierarchies, garbage bytes.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "blif/general_reader.h"
#include "tests/test_util.h"

namespace {

struct refused {
  std::string line;    // diagnostic_line
  std::string signal;  // diagnostic signal
};

refused refuse(const std::string& text, tessaro::flatten_limits limits = {}) {
  tessaro::flat_model m;
  std::vector<tessaro::diagnostic> w;
  tessaro::outcome o = tessaro::read_general_blif(text, "t.blif", m, w, limits);
  EXPECT_FALSE(o.ok()) << "accepted:\n" << text;
  if (o.ok()) return {};
  EXPECT_EQ(o.error().status, 1);
  return {tessaro::diagnostic_line(o.error()), o.error().signal};
}

const std::string kHead = ".model m\n.inputs a b\n.outputs y\n";  // three lines

TEST(GeneralRefusals, StatementsThatNeedACellLibraryOrAnotherFile) {
  EXPECT_EQ(refuse(kHead + ".gate AND2 A=a B=b O=y\n").line,
            "t.blif:4: .gate of cell AND2 needs a cell library, which this reader has not");
  EXPECT_EQ(refuse(kHead + ".mlatch DFF D=a Q=y NIL 0\n").line,
            "t.blif:4: .mlatch needs a cell library, which this reader has not");
  EXPECT_EQ(refuse(".search lib.blif\n" + kHead).line,
            "t.blif:1: .search of other files is not supported: give one file with every model");
  EXPECT_EQ(refuse(kHead + ".mv y 3\n").line,
            "t.blif:4: .mv belongs to BLIF-MV, which this reader does not read");
  EXPECT_EQ(refuse(kHead + ".subckt foo x=a\n").line,
            "t.blif:4: .subckt of model foo, which the file does not define and which is not a "
            "Yosys flip-flop cell");
}

TEST(GeneralRefusals, TwoDriversOfOneSignal) {
  refused r = refuse(kHead + ".names a y\n1 1\n.names b y\n1 1\n");
  EXPECT_EQ(r.line,
            "t.blif:6: signal y is the output of the table at line 4 and also the output of the "
            "table at line 6");
  EXPECT_EQ(r.signal, "y");
  EXPECT_EQ(refuse(kHead + ".latch y a 0\n").line,
            "t.blif:4: signal a is an input and also the output of the latch at line 4");
  EXPECT_EQ(refuse(kHead + ".names b a\n1 1\n").line,
            "t.blif:4: signal a is an input and also the output of the table at line 4");
  EXPECT_EQ(refuse(kHead + ".latch a y 0\n.names b y\n0 1\n").line,
            "t.blif:5: signal y is the output of the latch at line 4 and also the output of the "
            "table at line 5");
  EXPECT_EQ(refuse(kHead + ".latch a y 0\n.latch b y 1\n").line,
            "t.blif:5: signal y is the output of the latch at line 4 and also the output of the "
            "latch at line 5");
  // Two instances driving one net.
  EXPECT_EQ(refuse(kHead + ".subckt buf i=a o=y\n.subckt buf i=b o=y\n.end\n"
                           ".model buf\n.inputs i\n.outputs o\n.names i o\n1 1\n.end\n")
                .line,
            "t.blif:10: signal y is the output of the table at line 10 and also the output of "
            "the table at line 10");
}

TEST(GeneralRefusals, RowsThatNoTableCanHold) {
  refused r = refuse(kHead + ".names a b y\n1- 1\n-1 0\n");
  EXPECT_EQ(r.line, "t.blif:6: the table of y mixes rows of output 1 and rows of output 0");
  EXPECT_EQ(r.signal, "y");
  EXPECT_EQ(refuse(kHead + ".names a b y\n1 1\n").line,
            "t.blif:5: row '1 1' of the table of y has 2 values; it needs 3: 2 inputs and the "
            "output");
  EXPECT_EQ(refuse(kHead + ".names a y\n1 1 1\n").line,
            "t.blif:5: row '1 1 1' of the table of y has 3 values; it needs 2: 1 input and the "
            "output");
  EXPECT_EQ(refuse(kHead + ".names y\n1 1\n").line,
            "t.blif:5: row '1 1' of the table of y has 2 values; it needs 1: 0 inputs and the "
            "output");
  EXPECT_EQ(refuse(kHead + ".names a b y\n1x 1\n").line,
            "t.blif:5: row '1x 1' of the table of y holds 'x': input values are 0, 1 or -");
  EXPECT_EQ(refuse(kHead + ".names a b y\n11 -\n").line,
            "t.blif:5: row '11 -' of the table of y has the output value '-': it must be 0 or 1");
  EXPECT_EQ(refuse(kHead + ".latch a q 0\n1 1\n").line,
            "t.blif:5: the line '1 1' is neither a directive nor a row of a .names table");
  EXPECT_EQ(refuse(kHead + ".names\n").line, "t.blif:4: .names without a signal");
}

TEST(GeneralRefusals, MalformedLatchesAndCells) {
  EXPECT_EQ(refuse(kHead + ".latch a\n").line, "t.blif:4: .latch needs an input and an output");
  EXPECT_EQ(refuse(kHead + ".latch a q re clk 0 1\n").line,
            "t.blif:4: the latch of q has more than 5 fields");
  refused r = refuse(kHead + ".latch a q xx clk 0\n");
  EXPECT_EQ(r.line, "t.blif:4: latch type 'xx' of q is not one of fe, re, ah, al, as");
  EXPECT_EQ(r.signal, "q");
  EXPECT_EQ(refuse(kHead + ".latch a q 5\n").line,
            "t.blif:4: latch initial value '5' of q: it must be 0, 1, 2 or 3");
  EXPECT_EQ(refuse(kHead + ".latch a q re\n").line,
            "t.blif:4: latch initial value 're' of q: it must be 0, 1, 2 or 3");
  EXPECT_EQ(refuse(kHead + ".subckt\n").line, "t.blif:4: .subckt without a model");
  EXPECT_EQ(refuse(kHead + ".subckt m2 a\n").line,
            "t.blif:4: .subckt m2: 'a' is not a binding formal=actual");
  EXPECT_EQ(refuse(kHead + ".subckt m2 =a\n").line,
            "t.blif:4: .subckt m2: '=a' is not a binding formal=actual");
  EXPECT_EQ(refuse(kHead + ".conn a\n").line, "t.blif:4: .conn needs two signals: from and to");
}

TEST(GeneralRefusals, ModelsAndTheirBoundaries) {
  EXPECT_EQ(refuse("").line, "t.blif: the file holds no model");
  EXPECT_EQ(refuse("# only a comment\n\n").line, "t.blif: the file holds no model");
  EXPECT_EQ(refuse(".model\n").line, "t.blif:1: .model without a name");
  EXPECT_EQ(refuse(".model m\n.end\n.model m\n.end\n").line,
            "t.blif:3: model m is defined twice, first at line 1");
  EXPECT_EQ(refuse(".model m\n.end\n.end\n").line, "t.blif:3: a second .end");
  EXPECT_EQ(refuse(".model m\n.end\n.names y\n1\n").line,
            "t.blif:3: .names after .end: a model starts with .model");
  EXPECT_EQ(refuse(".model m\n.start_kiss\n.i 1\n").line,
            "t.blif:2: .start_kiss without its .end_kiss");
}

const std::string kAdd =
    ".model add\n.inputs x y\n.outputs s\n.names x y k\n11 1\n.names k s\n1 1\n.end\n";

TEST(GeneralRefusals, HierarchiesThatCannotBeFlattened) {
  EXPECT_EQ(refuse(kHead + ".subckt add x=a z=b\n.end\n" + kAdd).line,
            "t.blif:4: .subckt add in model m: model add has no port z");
  EXPECT_EQ(refuse(kHead + ".subckt add x=a x=b\n.end\n" + kAdd).line,
            "t.blif:4: .subckt add in model m: port x is bound twice");
  EXPECT_EQ(refuse(kHead + ".subckt box i=a\n.end\n.model box\n.inputs i\n.blackbox\n.end\n").line,
            "t.blif:4: model box is a black box (.blackbox): its logic is unknown");
  EXPECT_EQ(refuse(kHead + ".subckt m a=a\n.end\n").line,
            "t.blif:4: model m instantiates itself: m -> m");
  EXPECT_EQ(refuse(kHead + ".subckt p\n.end\n.model p\n.subckt q\n.end\n.model q\n.names z\n"
                           ".subckt p\n.end\n")
                .line,
            "t.blif:11: model p instantiates itself: p -> q -> p");
  // A name of the top meets a hierarchical one.
  refused r = refuse(kHead + ".names a add@1/k\n1 1\n.subckt add x=a y=b s=y\n.end\n" + kAdd);
  EXPECT_EQ(r.line,
            "t.blif:11: the hierarchical name add@1/k stands for two signals of the flattened "
            "model m");
  EXPECT_EQ(r.signal, "add@1/k");
  // Two instances under one label.
  EXPECT_EQ(
      refuse(kHead + ".subckt add x=a y=b\n.cname u\n.subckt add x=a y=b\n.cname u\n.end\n" + kAdd)
          .line,
      "t.blif:12: the hierarchical name u/k stands for two signals of the flattened model m");
}

TEST(GeneralRefusals, FlatteningIsBounded) {
  tessaro::flatten_limits small;
  small.max_statements = 3;
  EXPECT_EQ(
      refuse(kHead + ".subckt add x=a y=b s=y\n.subckt add x=a y=b\n.end\n" + kAdd, small).line,
      "t.blif:1: flattening model m would make more than 3 latches and tables");
  // Forty levels of two instances each: 2^40 tables, refused at once.
  std::string text = ".model l0\n.inputs a\n.outputs y\n.subckt l1 a=a y=y\n.end\n";
  for (int i = 1; i < 40; ++i) {
    const std::string next = "l" + std::to_string(i + 1);
    text += ".model l" + std::to_string(i) + "\n.inputs a\n.outputs y\n.subckt " + next +
            " a=a y=t\n.subckt " + next + " a=t y=y\n.end\n";
  }
  text += ".model l40\n.inputs a\n.outputs y\n.names a y\n0 1\n.end\n";
  EXPECT_EQ(refuse(text).line,
            "t.blif:1: flattening model l0 would make more than 10000000 latches and tables");
  // Long labels nested deep: the names, not the statements, pass the bound.
  tessaro::flatten_limits bytes;
  bytes.max_name_bytes = 100000;
  std::string deep;
  const std::string label(1000, 'L');
  for (int i = 0; i < 200; ++i)
    deep += ".model n" + std::to_string(i) + "\n.subckt n" + std::to_string(i + 1) + "\n.cname " +
            label + "\n.names k" + std::to_string(i) + "\n.end\n";
  deep += ".model n200\n.end\n";
  EXPECT_EQ(refuse(deep, bytes).line,
            "t.blif:1: flattening model n0 would make names of more than 100000 bytes");
}

TEST(GeneralRefusals, YosysCellsThatCannotBeRead) {
  EXPECT_EQ(refuse(kHead + ".subckt $_DLATCH_P_ E=a D=b Q=y\n").line,
            "t.blif:4: cannot read the cell $_DLATCH_P_: it is a Yosys latch or flip-flop that "
            "cannot be read as a latch of the one clock");
  EXPECT_EQ(refuse(kHead + ".subckt $_AND_ A=a B=b Y=y\n").line,
            "t.blif:4: cannot read the cell $_AND_: it is a Yosys cell, not a flip-flop");
  EXPECT_EQ(refuse(kHead + ".subckt $dffsr CLK=c D=a Q=y SET=b CLR=b\n").line,
            "t.blif:4: cannot read the cell $dffsr: it is a Yosys latch or flip-flop that "
            "cannot be read as a latch of the one clock");
  EXPECT_EQ(refuse(kHead + ".subckt $_DFF_P_ C=c Q=y\n").line,
            "t.blif:4: Yosys cell $_DFF_P_ lacks its port D");
  EXPECT_EQ(refuse(kHead + ".subckt $_DFFE_PP_ C=c D=a Q=y\n").line,
            "t.blif:4: Yosys cell $_DFFE_PP_ lacks its port E");
  EXPECT_EQ(refuse(kHead + ".subckt $_DFF_P_ C=c D=a D=b Q=y\n").line,
            "t.blif:4: Yosys cell $_DFF_P_: port D is bound twice");
  EXPECT_EQ(refuse(kHead + ".subckt $_DFF_P_ C=c D=a Q=y\n.attr init 2'b10\n").line,
            "t.blif:4: Yosys cell $_DFF_P_: cannot read the init value '2'b10'");
  EXPECT_EQ(refuse(kHead + ".subckt $dff CLK=c D=a Q=y\n.param WIDTH abc\n").line,
            "t.blif:4: cannot read the cell $dff: its parameter WIDTH is not a number of bits: "
            "'abc'");
  EXPECT_EQ(refuse(kHead + ".subckt $dffe CLK=c D=a Q=y EN=b\n.param EN_POLARITY 2\n").line,
            "t.blif:4: cannot read the cell $dffe: its parameter EN_POLARITY is not a bit: '2'");
  EXPECT_EQ(refuse(kHead + ".subckt $dff CLK=c\n").line, "t.blif:4: Yosys cell $dff has no bits");
  EXPECT_EQ(refuse(kHead + ".subckt $dff CLK=c D[0]=a D[1]=b Q[0]=y\n").line,
            "t.blif:4: Yosys cell $dff lacks its port Q[1]");
}

TEST(GeneralRefusals, FilesThatCannotBeRead) {
  testutil::TempDir d;
  tessaro::flat_model m;
  std::vector<tessaro::diagnostic> w;
  tessaro::outcome o = tessaro::read_general_blif_file(d.file("none.blif"), m, w);
  ASSERT_FALSE(o.ok());
  EXPECT_EQ(tessaro::diagnostic_line(o.error()),
            d.file("none.blif") + ": cannot open the file for reading");
  o = tessaro::read_general_blif_file(d.path(), m, w);
  ASSERT_FALSE(o.ok());
  EXPECT_EQ(tessaro::diagnostic_line(o.error()), d.path() + ": cannot open the file for reading");
  d.write("ok.blif", ".model m\n.inputs a\n.outputs y\n.names a y\n1 1\n");
  EXPECT_TRUE(tessaro::read_general_blif_file(d.file("ok.blif"), m, w).ok());
  EXPECT_EQ(m.file, d.file("ok.blif"));
  EXPECT_EQ(m.tables.size(), 1u);
}

TEST(GeneralRefusals, DeepHierarchiesNeedNoDeepStack) {
  const int depth = 20000;
  std::string text;
  for (int i = 0; i < depth; ++i)
    text += ".model d" + std::to_string(i) + "\n.inputs a\n.outputs y\n.subckt d" +
            std::to_string(i + 1) + " a=a y=y\n.end\n";
  text += ".model d" + std::to_string(depth) + "\n.inputs a\n.outputs y\n.names a y\n0 1\n.end\n";
  tessaro::flat_model m;
  std::vector<tessaro::diagnostic> w;
  ASSERT_TRUE(tessaro::read_general_blif(text, "t.blif", m, w).ok());
  ASSERT_EQ(m.tables.size(), 1u);
  EXPECT_EQ(m.tables[0].names, (std::vector<std::string>{"a", "y"}));
  // The same chain closed into a cycle.
  text += ".model loop\n.subckt d0 a=x\n.end\n";
  std::string cyclic = text;
  cyclic.replace(cyclic.rfind(".names a y\n0 1\n"), 15, ".subckt d0 a=a y=y\n");
  EXPECT_NE(refuse(cyclic).line.find("model d0 instantiates itself: d0 -> d1 -> d2 -> "),
            std::string::npos);
}

// Garbage made of the bytes BLIF gives meaning to: the reader reads or
// refuses it, and what it reads is a well-formed record.
TEST(GeneralRefusals, GarbageIsReadOrRefusedNeverCorrupted) {
  const std::string pieces[] = {".model ",   ".inputs ",
                                ".outputs ", ".names ",
                                ".latch ",   ".subckt ",
                                ".end",      ".exdc",
                                ".conn ",    ".attr init 1",
                                "$_DFF_P_ ", "$_DFFE_PN0P_ ",
                                "D=a ",      "Q=b ",
                                "E=c ",      "x=y ",
                                "a ",        "b ",
                                "c ",        "0",
                                "1",         "-",
                                " ",         "\n",
                                "\r\n",      "\\\n",
                                "#",         "=",
                                "\t",        "re ",
                                "2 ",        "\x00",
                                "\xff",      "m "};
  std::mt19937 rng(2024);
  int accepted = 0;
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    const int n = static_cast<int>(rng() % 60);
    for (int i = 0; i < n; ++i)
      text += pieces[rng() % (sizeof pieces / sizeof pieces[0])];
    tessaro::flat_model m;
    std::vector<tessaro::diagnostic> w;
    tessaro::outcome o = tessaro::read_general_blif(text, "g.blif", m, w);
    if (!o.ok()) {
      EXPECT_FALSE(o.error().text.empty());
      continue;
    }
    ++accepted;
    ASSERT_EQ(m.order.size(), m.latches.size() + m.tables.size());
    for (const tessaro::flat_table& t : m.tables) {
      ASSERT_FALSE(t.names.empty());
      for (const std::string& r : t.rows) {
        ASSERT_EQ(r.size(), t.names.size());
        ASSERT_EQ(r.back(), t.rows.front().back());
      }
    }
    for (const auto& l : m.latches)
      ASSERT_TRUE(l.init == 0 || l.init == 1);
  }
  EXPECT_GT(accepted, 50);
}

}  // namespace
