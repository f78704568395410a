// The general BLIF reader on inline files: every construct SIS, ABC, Yosys
// and the benchmark suites write, checked for structure and, where it
// matters, for function by simulation.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "blif/general_reader.h"
#include "tests/flat_model_sim.h"

namespace {

using tessaro::flat_model;

flat_model read_ok(const std::string& text, std::vector<tessaro::diagnostic>* warnings = nullptr,
                   const std::string& file = "t.blif") {
  flat_model m;
  std::vector<tessaro::diagnostic> w;
  tessaro::outcome o = tessaro::read_general_blif(text, file, m, w);
  EXPECT_TRUE(o.ok()) << tessaro::diagnostic_line(o.error());
  if (warnings) *warnings = w;
  return m;
}

std::vector<std::string> warning_lines(const std::vector<tessaro::diagnostic>& w) {
  std::vector<std::string> out;
  for (const auto& d : w) {
    EXPECT_EQ(d.status, 0);
    out.push_back(tessaro::diagnostic_line(d));
  }
  return out;
}

using strings = std::vector<std::string>;

// Statements in order as "latch d q init" and "table n1 n2 ...: rows".
strings statements(const flat_model& m) {
  strings out;
  for (const tessaro::flat_item& item : m.order) {
    if (item.latch) {
      const auto& l = m.latches[item.index];
      out.push_back("latch " + l.input + " " + l.output + " " + std::to_string(l.init));
    } else {
      const auto& t = m.tables[item.index];
      std::string s = "table";
      for (const auto& n : t.names)
        s += " " + n;
      s += ":";
      for (const auto& r : t.rows)
        s += " " + r;
      out.push_back(s);
    }
  }
  return out;
}

TEST(GeneralReader, ModelNamesAndInterfaceListsAsWritten) {
  auto m = read_ok(
      ".model s27.bench\n"
      ".inputs G0 G1\n"
      ".inputs G2 G0\n"
      ".outputs G17\n"
      ".names G0 G17\n"
      "1 1\n"
      ".outputs G18\n"
      ".names G1 G18\n"
      "0 1\n"
      ".end\n");
  EXPECT_EQ(m.name, "s27.bench");
  EXPECT_EQ(m.file, "t.blif");
  EXPECT_EQ(m.line, 1);
  EXPECT_EQ(m.inputs, (strings{"G0", "G1", "G2", "G0"}));  // repeats stay
  EXPECT_EQ(m.outputs, (strings{"G17", "G18"}));
  EXPECT_EQ(statements(m), (strings{"table G0 G17: 11", "table G1 G18: 01"}));
  EXPECT_EQ(m.tables[1].line, 8);
}

TEST(GeneralReader, LinesContinuedCommentsCrlfAndNoEnd) {
  std::vector<tessaro::diagnostic> w;
  auto m = read_ok(
      "# header comment\r\n"
      ".model a-b   # the name holds a dash\r\n"
      ".inputs x y \\\r\n"
      "   z\r\n"
      ".outputs f\\\n"
      "\n"
      ".names x y \\  \n"
      " z f\n"
      "1-1 1 # a row\n"
      "\n"
      "# a comment line inside the table\n"
      "01- 1\n",
      &w);
  EXPECT_TRUE(w.empty());
  EXPECT_EQ(m.name, "a-b");
  EXPECT_EQ(m.inputs, (strings{"x", "y", "z"}));
  EXPECT_EQ(m.outputs, (strings{"f"}));
  EXPECT_EQ(statements(m), (strings{"table x y z f: 1-11 01-1"}));
  EXPECT_EQ(m.tables[0].line, 7);
}

TEST(GeneralReader, AByteOrderMarkIsSkipped) {
  auto m = read_ok("\xEF\xBB\xBF.model m\n.inputs a\n.outputs y\n.names a y\n1 1\n");
  EXPECT_EQ(m.name, "m");
  ASSERT_EQ(m.tables.size(), 1u);
  EXPECT_EQ(m.tables[0].line, 4);
}

TEST(GeneralReader, NamesHoldAnyNonBlankBytes) {
  const std::string odd = "$abc$123$n45 v6.3 a[0] 1GAT(0) \\x <y> a:b 0 1 - \x80\xff";
  auto m = read_ok(".model m\n.inputs " + odd + "\n.outputs o=1\n.names 0 1 - o=1\n1-0 1\n");
  EXPECT_EQ(m.inputs, (strings{"$abc$123$n45", "v6.3", "a[0]", "1GAT(0)", "\\x", "<y>", "a:b", "0",
                               "1", "-", "\x80\xff"}));
  EXPECT_EQ(statements(m), (strings{"table 0 1 - o=1: 1-01"}));
}

TEST(GeneralReader, LinesOfNamesContinueTheInterfaceListsAsTheSubsetReadsThem) {
  auto m = read_ok(".model m\n.inputs a b\nc d\n.outputs y\nz\n.names a y\n1 1\n.end\n");
  EXPECT_EQ(m.inputs, (strings{"a", "b", "c", "d"}));
  EXPECT_EQ(m.outputs, (strings{"y", "z"}));
}

TEST(GeneralReader, LatchesWithTypeControlAndEveryInitialValue) {
  std::vector<tessaro::diagnostic> w;
  auto m = read_ok(
      ".model m\n.inputs d clk\n.outputs q1 q2 q3 q4 q5 q6 q7\n"
      ".latch d q1\n"
      ".latch d q2 1\n"
      ".latch d q3 re clk\n"
      ".latch d q4 fe clk 0\n"
      ".latch d q5 ah NIL 1\n"
      ".latch d q6 as clk 2\n"
      ".latch d q7 al clk 3\n",
      &w);
  EXPECT_EQ(statements(m), (strings{"latch d q1 0", "latch d q2 1", "latch d q3 0", "latch d q4 0",
                                    "latch d q5 1", "latch d q6 0", "latch d q7 0"}));
  EXPECT_EQ(m.latches[4].line, 8);
  EXPECT_EQ(warning_lines(w),
            (strings{"t.blif:4: warning: 4 latch initial values are unknown and read as 0: 4 "
                     "latches of value 2, 3 or none, 0 Yosys flip-flops without init"}));
}

TEST(GeneralReader, TablesOnOffAndConstant) {
  auto m = read_ok(
      ".model m\n.inputs a b\n.outputs y n k1 k0 e1 e0 c\n"
      ".names a b y\n1- 1\n-1 1\n"
      ".names a b n\n11 0\n"
      ".names k1\n1\n"
      ".names k0\n0\n"
      ".names e0\n"
      ".names a b e1\n-- 1\n"
      ".names a b c\n"
      ".names e2\n"
      ".end\n");
  EXPECT_EQ(statements(m),
            (strings{"table a b y: 1-1 -11", "table a b n: 110", "table k1: 1", "table k0: 0",
                     "table e0:", "table a b e1: --1", "table a b c:", "table e2:"}));
  EXPECT_TRUE(m.tables[1].off_set());
  EXPECT_FALSE(m.tables[0].off_set());
  testutil::flat_model_sim sim(m);
  for (int a = 0; a < 2; ++a) {
    for (int b = 0; b < 2; ++b) {
      auto v = sim.step({{"a", a}, {"b", b}});
      EXPECT_EQ(v["y"], a | b);
      EXPECT_EQ(v["n"], !(a & b));
      EXPECT_EQ(v["k1"], 1);
      EXPECT_EQ(v["k0"], 0);
      EXPECT_EQ(v["e0"], 0);
      EXPECT_EQ(v["e1"], 1);
      EXPECT_EQ(v["c"], 0);
    }
  }
}

TEST(GeneralReader, RowsMayBeSpreadOverSeveralWords) {
  auto m = read_ok(".model m\n.inputs a b\n.outputs y\n.names a b y\n1 0 1\n0 1  1\n");
  EXPECT_EQ(statements(m), (strings{"table a b y: 101 011"}));
}

TEST(GeneralReader, ConnIsABuffer) {
  auto m = read_ok(".model m\n.inputs a\n.outputs b\n.conn a b\n.end\n");
  EXPECT_EQ(statements(m), (strings{"table a b: 11"}));
  EXPECT_EQ(m.tables[0].line, 4);
}

TEST(GeneralReader, TimingAndAttributeDirectivesAreIgnored) {
  std::vector<tessaro::diagnostic> w;
  auto m = read_ok(
      ".model m\n.inputs a\n.outputs y\n"
      ".wire_load_slope 0.00\n.default_input_arrival 0 0\n.input_arrival a 1 1\n"
      ".output_required y 2 2\n.area 3\n.delay a NONINV 1 1 1 1 1 1\n.clock clk\n"
      ".names a y\n1 1\n.cname g1\n.attr src \"x.v:1\"\n.param P 1\n"
      ".default_output_load 2\n.end\n",
      &w);
  EXPECT_TRUE(w.empty());
  EXPECT_EQ(statements(m), (strings{"table a y: 11"}));
}

TEST(GeneralReader, UnknownDirectivesAreIgnoredWithOneWarningEach) {
  std::vector<tessaro::diagnostic> w;
  auto m = read_ok(".model m\n.outputs y\n.frob 1\n.names y\n1\n.frob 2\n.twiddle\n.end\n", &w);
  EXPECT_EQ(statements(m), (strings{"table y: 1"}));
  EXPECT_EQ(warning_lines(w),
            (strings{"t.blif:3: warning: unknown directive .frob ignored (2 times)",
                     "t.blif:7: warning: unknown directive .twiddle ignored"}));
}

TEST(GeneralReader, ExdcAndKissPartsAreSkippedWithAWarning) {
  std::vector<tessaro::diagnostic> w;
  auto m = read_ok(
      ".model m\n.inputs a\n.outputs y\n.names a y\n1 1\n"
      ".start_kiss\n.i 1\n0 s0 s1 1\n.end_kiss\n"
      ".exdc\n.inputs a\n.outputs y\n.names a y\n0 1\n.end\n"
      ".model other\n.end\n",
      &w);
  EXPECT_EQ(statements(m), (strings{"table a y: 11"}));
  EXPECT_EQ(warning_lines(w),
            (strings{"t.blif:6: warning: the state transition table (.start_kiss) of model m is "
                     "ignored",
                     "t.blif:10: warning: the external don't-care network (.exdc) of model m is "
                     "ignored"}));
}

TEST(GeneralReader, StatementsBeforeAnyModelFormOneNamedAfterTheFile) {
  auto m = read_ok(".inputs a\n.outputs y\n.names a y\n0 1\n", nullptr, "dir/circuit.blif");
  EXPECT_EQ(m.name, "circuit");
  EXPECT_EQ(m.line, 1);
  EXPECT_EQ(m.inputs, (strings{"a"}));
}

TEST(GeneralReader, UndrivenSignalsAreReportedOnceAndStayUndriven) {
  std::vector<tessaro::diagnostic> w;
  auto m = read_ok(
      ".model m\n.inputs a\n.outputs y z\n.names a u v y\n111 1\n.latch w q 0\n"
      ".names q u z\n11 1\n.names s1 s2 s3 s4 s5 a t\n111111 1\n",
      &w);
  EXPECT_EQ(warning_lines(w),
            (strings{"t.blif:4: warning: 8 signals are used but never driven and read as "
                     "undriven: u, v, w, s1, s2 and 3 more"}));
  auto one = read_ok(".model m\n.outputs y\n.names x y\n1 1\n", &w);
  ASSERT_EQ(w.size(), 1u);
  EXPECT_EQ(w[0].signal, "x");
  EXPECT_EQ(tessaro::diagnostic_line(w[0]),
            "t.blif:3: warning: signal x is used but never driven and read as undriven");
  // An output that nothing drives is reported too.
  read_ok(".model m\n.outputs y\n.end\n", &w);
  EXPECT_EQ(warning_lines(w),
            (strings{"t.blif:1: warning: signal y is used but never driven and read as undriven"}));
}

TEST(GeneralReader, UndrivenYosysConstantsTakeTheirValues) {
  std::vector<tessaro::diagnostic> w;
  auto m = read_ok(
      ".model m\n.outputs a b c\n.names $true $false $undef x\n111 1\n"
      ".conn $true a\n.conn $false b\n.conn $undef c\n",
      &w);
  EXPECT_EQ(warning_lines(w),
            (strings{"t.blif:3: warning: undriven Yosys constants read as their values: $true = "
                     "1, $false = 0, $undef = 0"}));
  testutil::flat_model_sim sim(m);
  auto v = sim.step({});
  EXPECT_EQ(v["a"], 1);
  EXPECT_EQ(v["b"], 0);
  EXPECT_EQ(v["c"], 0);
  // Defined in the file, they are the file's.
  auto d = read_ok(".model m\n.outputs a\n.names $true\n.conn $true a\n", &w);
  EXPECT_TRUE(w.empty());
  EXPECT_EQ(testutil::flat_model_sim(d).step({})["a"], 0);
}

TEST(GeneralReader, SubcktIsFlattenedWithHierarchicalNames) {
  const char* text =
      ".model top\n.inputs a b c\n.outputs s co\n"
      ".subckt add x=a y=b s=t\n"
      ".subckt add x=t y=c s=s co=co\n"
      ".cname second\n"
      ".end\n"
      ".model add\n.inputs x y\n.outputs s co\n"
      ".names x y s\n10 1\n01 1\n"
      ".names x y k\n11 1\n"
      ".latch k co 0\n"
      ".end\n";
  std::vector<tessaro::diagnostic> w;
  auto m = read_ok(text, &w);
  EXPECT_TRUE(w.empty());
  EXPECT_EQ(statements(m),
            (strings{"table a b t: 101 011", "table a b add@1/k: 111", "latch add@1/k add@1/co 0",
                     "table t c s: 101 011", "table t c second/k: 111", "latch second/k co 0"}));
  EXPECT_EQ(m.tables[0].line, 11);
  testutil::flat_model_sim sim(m);
  for (int i = 0; i < 8; ++i) {
    const int a = i & 1, b = (i >> 1) & 1, c = (i >> 2) & 1;
    EXPECT_EQ(sim.step({{"a", a}, {"b", b}, {"c", c}})["s"], a ^ b ^ c);
  }
}

TEST(GeneralReader, InstancesNestAndUnboundPortsAreLocalsOfTheInstance) {
  auto m = read_ok(
      ".model top\n.inputs i\n.outputs o\n.subckt mid p=i q=o\n.end\n"
      ".model mid\n.inputs p\n.outputs q\n.subckt leaf u=p\n.subckt leaf u=p v=q\n.end\n"
      ".model leaf\n.inputs u w\n.outputs v\n.names u w v\n1- 1\n.end\n");
  EXPECT_EQ(statements(m), (strings{"table i mid@1/leaf@1/w mid@1/leaf@1/v: 1-1",
                                    "table i mid@1/leaf@2/w o: 1-1"}));
}

// The next-state function each Yosys cell type stands for, checked by
// simulation against the cell's documented behaviour on random inputs.
struct cell_case {
  const char* line;  // the cell's `.subckt` line
  // next q from the current d, e, r, s and q
  int (*next)(int d, int e, int r, int s, int q);
  // q shown in the cycle, from r, s and the state before (asynchronous ones)
  int (*shown)(int r, int s, int state);
};

int shown_state(int, int, int state) {
  return state;
}

TEST(GeneralReader, YosysFlipFlopCellsBehaveAsTheirTypesSay) {
  const cell_case cases[] = {
      {".subckt $_DFF_P_ C=clk D=d Q=q", [](int d, int, int, int, int) { return d; }, shown_state},
      {".subckt $_FF_ D=d Q=q", [](int d, int, int, int, int) { return d; }, shown_state},
      {".gate $_DFF_N_ C=clk D=d Q=q", [](int d, int, int, int, int) { return d; }, shown_state},
      {".subckt $_DFFE_PP_ C=clk D=d E=e Q=q",
       [](int d, int e, int, int, int q) { return e ? d : q; }, shown_state},
      {".subckt $_DFFE_NN_ C=clk D=d E=e Q=q",
       [](int d, int e, int, int, int q) { return e ? q : d; }, shown_state},
      {".subckt $_SDFF_PP1_ C=clk D=d Q=q R=r",
       [](int d, int, int r, int, int) { return r ? 1 : d; }, shown_state},
      {".subckt $_SDFF_NN0_ C=clk D=d Q=q R=r",
       [](int d, int, int r, int, int) { return r ? d : 0; }, shown_state},
      {".subckt $_SDFFE_PN0P_ C=clk D=d E=e Q=q R=r",
       [](int d, int e, int r, int, int q) { return !r  ? 0
                                                    : e ? d
                                                        : q; }, shown_state},
      {".subckt $_SDFFCE_PP1N_ C=clk D=d E=e Q=q R=r",
       [](int d, int e, int r, int, int q) { return !e ? (r ? 1 : d) : q; }, shown_state},
      {".subckt $dffe CLK=clk D=d EN=e Q=q\n.param EN_POLARITY 0\n.param WIDTH 1",
       [](int d, int e, int, int, int q) { return e ? q : d; }, shown_state},
      {".subckt $sdffe CLK=clk D=d EN=e Q=q SRST=r\n.param SRST_VALUE 1",
       [](int d, int e, int r, int, int q) { return r   ? 1
                                                    : e ? d
                                                        : q; }, shown_state},
      {".subckt $sdffce CLK=clk D=d EN=e Q=q SRST=r\n.param SRST_POLARITY 0",
       [](int d, int e, int r, int, int q) { return e ? (r ? d : 0) : q; }, shown_state},
      {".subckt $_DFF_PP1_ C=clk D=d Q=q R=r",
       [](int d, int, int r, int, int) { return r ? 1 : d; },
       [](int r, int, int state) { return r ? 1 : state; }},
      {".subckt $_DFFE_PN0P_ C=clk D=d E=e Q=q R=r",
       [](int d, int e, int r, int, int q) { return !r  ? 0
                                                    : e ? d
                                                        : q; },
       [](int r, int, int state) { return r ? state : 0; }},
      {".subckt $adff ARST=r CLK=clk D=d Q=q\n.param ARST_VALUE 1",
       [](int d, int, int r, int, int) { return r ? 1 : d; },
       [](int r, int, int state) { return r ? 1 : state; }},
      {".subckt $_DFFSR_PNP_ C=clk D=d Q=q R=r S=s",
       [](int d, int, int r, int s, int) { return r    ? 0
                                                  : !s ? 1
                                                       : d; },
       [](int r, int s, int state) { return r    ? 0
                                            : !s ? 1
                                                 : state; }},
  };
  std::mt19937 rng(7);
  for (const cell_case& c : cases) {
    SCOPED_TRACE(c.line);
    std::vector<tessaro::diagnostic> w;
    auto m =
        read_ok(std::string(".model m\n.inputs clk d e r s\n.outputs q\n") + c.line + "\n", &w);
    testutil::flat_model_sim sim(m);
    int state = 0;  // no init: the cell starts at 0
    for (int cycle = 0; cycle < 64; ++cycle) {
      const int d = rng() & 1, e = rng() & 1, r = rng() & 1, s = rng() & 1;
      auto v = sim.step({{"d", d}, {"e", e}, {"r", r}, {"s", s}, {"clk", 0}});
      const int q = c.shown(r, s, state);
      ASSERT_EQ(v["q"], q) << "cycle " << cycle;
      state = c.next(d, e, r, s, state);
    }
  }
}

TEST(GeneralReader, YosysCellsReadTheirInitAndNameTheirSignals) {
  std::vector<tessaro::diagnostic> w;
  flat_model m;
  m = read_ok(
      ".model m\n.inputs d[0] d[1] e\n.outputs q[0] q[1] p\n"
      ".subckt $dffe CLK=clk D[0]=d[0] D[1]=d[1] EN=e Q[0]=q[0] Q[1]=q[1]\n"
      ".param WIDTH 00000000000000000000000000000010\n.attr init 10\n"
      ".subckt $_DFFE_PP_ C=clk D=d[0] E=e Q=p\n.param INIT 1\n"
      ".names p$next\n1\n.names x p$next$2\n1 1\n.latch x p$reg 1\n",
      &w);
  EXPECT_EQ(statements(m),
            (strings{"latch q[0]$next q[0] 0", "table e d[0] q[0] q[0]$next: 0-11 11-1",
                     "latch q[1]$next q[1] 1", "table e d[1] q[1] q[1]$next: 0-11 11-1",
                     "latch p$next$3 p 1", "table e d[0] p p$next$3: 0-11 11-1", "table p$next: 1",
                     "table x p$next$2: 11", "latch x p$reg 1"}));
  EXPECT_EQ(m.latches[0].line, 4);
}

TEST(GeneralReader, AsynchronousCellsAreCountedInAWarning) {
  std::vector<tessaro::diagnostic> w;
  auto m = read_ok(".model m\n.inputs d r\n.outputs q\n.subckt $_DFF_PP0_ C=c D=d Q=q R=r\n", &w);
  EXPECT_EQ(statements(m), (strings{"latch q$next q$reg 0", "table r d q$reg q$next: 01-1",
                                    "table r q$reg q: 011"}));
  EXPECT_EQ(warning_lines(w),
            (strings{"t.blif:4: warning: 1 latch initial values are unknown and read as 0: 0 "
                     "latches of value 2, 3 or none, 1 Yosys flip-flops without init",
                     "t.blif:4: warning: 1 Yosys flip-flops with an asynchronous reset or set are "
                     "read as clocked ones whose output is forced while it is active"}));
}

TEST(GeneralReader, LatchesAndTablesKeepTheFileOrder) {
  auto m = read_ok(
      ".model m\n.inputs a\n.outputs y\n.latch n s 1\n.names a s n\n11 1\n.latch y t 0\n"
      ".names s y\n0 1\n");
  EXPECT_EQ(statements(m),
            (strings{"latch n s 1", "table a s n: 111", "latch y t 0", "table s y: 01"}));
}

}  // namespace
