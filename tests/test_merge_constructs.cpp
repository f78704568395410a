// tessaro-merge on inline files holding every construct of the BLIF that
// users have (odd model and signal names, continuations, CRLF, no .end,
// latch types and unknown initial values, OFF-set and constant tables,
// ignored directives, .conn, .subckt, Yosys flip-flop cells, .exdc,
// undriven signals), each read and merged; and the refusals, one line each.
// Every case compares the whole model, standard error and the status.
#include <gtest/gtest.h>

#include <string>

#include "tests/test_util.h"

using testutil::run_tessaro_merge;
using testutil::TempDir;

namespace {

const char kEmpty[] = ".model e\n.end\n";

struct merged {
  int status;
  std::string model;
  std::string err;
};

// a.blif and b.blif merged onto standard output.
merged merge(const std::string& a, const std::string& b = kEmpty) {
  TempDir d;
  d.write("a.blif", a);
  d.write("b.blif", b);
  auto r = run_tessaro_merge(d.path(), {"-o", "-", "a.blif", "b.blif"});
  return {r.status, r.out, r.err};
}

// A model of the merge with an empty model: the interface, the latches, the
// covers.
std::string model(const std::string& inputs, const std::string& outputs, const std::string& latches,
                  const std::string& covers) {
  return ".model a_b\n" + inputs + "\n" + outputs + latches + "\n" + covers + "\n.end\n\n";
}

TEST(MergeConstructs, NamesAreWrittenAsTheFileWritesThem) {
  // Any non-blank bytes, even 0, 1 and -, and names continued over lines.
  merged m = merge(
      ".model s27.bench\n.inputs 0 1 - a\\b \\\n  c:d <e>\n.inputs 9x (p) v6.3\n"
      ".outputs y[0] z.1\n.outputs $q\n.names 0 1 - y[0]\n111 1\n"
      ".names a\\b c:d $abc$12$n4\n10 1\n.names $abc$12$n4 <e> z.1\n11 1\n"
      ".latch 9x $q 1\n.names (p) v6.3 unused.0\n11 1\n.end\n");
  EXPECT_EQ(m.status, 0) << m.err;
  EXPECT_EQ(m.err, "");
  EXPECT_EQ(m.model, model(".inputs 0 1 - a\\b c:d <e> 9x (p) v6.3", ".outputs y[0] z.1 $q\n",
                           ".latch 9x inst0_$q 1\n",
                           ".names  0 1 - y[0]\n111 1\n"
                           ".names  <e> inst0_$abc$12$n4 z.1\n11 1\n"
                           ".names  inst0_$q $q\n1 1\n"
                           ".names  a\\b c:d inst0_$abc$12$n4\n10 1\n"
                           ".names  (p) v6.3 inst0_unused.0\n11 1\n"));
}

TEST(MergeConstructs, SignalsConnectByTheirOwnNames) {
  merged m = merge(".model a-b\n.inputs en[0]\n.outputs d.1\n.latch en[0] d.1 1\n",
                   ".model b\n.inputs d.1\n.outputs en[0]\n.names d.1 en[0]\n0 1\n");
  EXPECT_EQ(m.status, 0) << m.err;
  EXPECT_EQ(m.model,
            ".model a_b\n\n.latch inst0_en[0] inst0_d.1 1\n\n"
            ".names  inst1_en[0] inst0_en[0]\n1 1\n"
            ".names  inst0_d.1 inst1_d.1\n1 1\n"
            ".names  inst1_d.1 inst1_en[0]\n0 1\n\n.end\n\n");
}

TEST(MergeConstructs, LineEndsCommentsAndTheEndMarkerChangeNothing) {
  const std::string plain = ".model m\n.inputs a b\n.outputs y\n.names a b y\n11 1\n.end\n";
  const merged expected = merge(plain);
  EXPECT_EQ(expected.status, 0);
  for (const std::string& text : {
           std::string(".model m\r\n.inputs a b\r\n.outputs y\r\n.names a b y\r\n11 1\r\n"),
           std::string("# by hand\n.model m # the model\n.inputs a \\\nb\n.outputs y\n"
                       ".names a b y\n# a comment among the rows\n11 1\n"),
           std::string("\xEF\xBB\xBF") + plain,
       }) {
    merged m = merge(text);
    EXPECT_EQ(m.status, 0) << m.err;
    EXPECT_EQ(m.model, expected.model) << text;
    EXPECT_EQ(m.err, "");
  }
}

TEST(MergeConstructs, LatchTypesControlsAndUnknownInitialValues) {
  merged m = merge(
      ".model l\n.inputs d clk\n.outputs q1 q2\n.latch d q1 re clk 2\n.latch d q2 fe clk 3\n"
      ".latch d q3 ah clk 1\n.latch d q4 al NIL 0\n.latch d q5 as clk\n.latch d q6\n"
      ".names q3 q4 q5 q6 q2x\n1111 1\n");
  EXPECT_EQ(m.status, 0);
  EXPECT_EQ(m.err,
            "a.blif:4: warning: 4 latch initial values are unknown and read as 0: 4 latches of "
            "value 2, 3 or none, 0 Yosys flip-flops without init\n");
  EXPECT_EQ(m.model, model(".inputs d clk", ".outputs q1 q2\n",
                           ".latch d inst0_q1 0\n.latch d inst0_q2 0\n.latch d inst0_q3 1\n"
                           ".latch d inst0_q4 0\n.latch d inst0_q5 0\n.latch d inst0_q6 0\n",
                           ".names  inst0_q1 q1\n1 1\n.names  inst0_q2 q2\n1 1\n"
                           ".names  inst0_q3 inst0_q4 inst0_q5 inst0_q6 inst0_q2x\n1111 1\n"));
  // -q keeps the warning back, and only the warning.
  TempDir d;
  d.write("a.blif", ".model l\n.inputs d\n.outputs q\n.latch d q 2\n");
  auto quiet = run_tessaro_merge(d.path(), {"-q", "a.blif", "a.blif"});
  EXPECT_EQ(quiet.status, 0);
  EXPECT_EQ(quiet.err, "");
}

TEST(MergeConstructs, OnOffAndConstantTables) {
  merged m = merge(
      ".model t\n.inputs a b\n.outputs on off one zero one2\n.names a b on\n11 1\n"
      ".names a b off\n11 0\n.names one\n1\n.names zero\n.names one2\n 1\n.end\n");
  EXPECT_EQ(m.status, 0) << m.err;
  EXPECT_EQ(m.model, model(".inputs a b", ".outputs on off one zero one2\n", "",
                           ".names  a b on\n11 1\n.names  a b off\n-0 1\n0- 1\n"
                           ".names  one\n1\n.names  zero\n0\n.names  one2\n1\n"));
}

TEST(MergeConstructs, TimingAndAttributeDirectivesAreIgnored) {
  merged m = merge(
      ".model d\n.inputs a\n.outputs y\n.wire_load_slope 0.00\n.default_input_arrival 0 0\n"
      ".input_arrival a 1 1\n.output_required y 2 2\n.area 3\n.delay a INV 1 1 1 1 1 1\n"
      ".clock clk\n.names a y\n0 1\n.cname g1\n.attr src \"x.v:1\"\n.param P 1\n"
      ".frob 1\n.frob 2\n.end\n");
  EXPECT_EQ(m.status, 0);
  // Directives nobody defines are ignored too, with one warning each.
  EXPECT_EQ(m.err, "a.blif:16: warning: unknown directive .frob ignored (2 times)\n");
  EXPECT_EQ(m.model, model(".inputs a", ".outputs y\n", "", ".names  a y\n0 1\n"));
}

TEST(MergeConstructs, ConnIsABuffer) {
  merged m = merge(".model c\n.inputs a\n.outputs b\n.conn a m\n.conn m b\n.end\n");
  EXPECT_EQ(m.status, 0) << m.err;
  EXPECT_EQ(m.model, model(".inputs a", ".outputs b\n", "",
                           ".names  inst0_m b\n1 1\n.names  a inst0_m\n1 1\n"));
}

TEST(MergeConstructs, SubcktIsFlattenedUnderHierarchicalNames) {
  merged m = merge(
      ".model top\n.inputs a b\n.outputs y z\n.subckt inv i=a o=n1\n.subckt inv i=n1 o=y\n"
      ".subckt reg d=b q=z\n.cname r0\n.end\n"
      ".model inv\n.inputs i\n.outputs o\n.names i t\n0 1\n.names t o\n1 1\n.end\n"
      ".model reg\n.inputs d\n.outputs q\n.latch d s 1\n.names s q\n1 1\n.end\n");
  EXPECT_EQ(m.status, 0) << m.err;
  EXPECT_EQ(m.model, model(".inputs a b", ".outputs y z\n", ".latch b inst0_r0/s 1\n",
                           ".names  inst0_inv@2/t y\n1 1\n.names  inst0_r0/s z\n1 1\n"
                           ".names  a inst0_inv@1/t\n0 1\n.names  inst0_inv@1/t inst0_n1\n1 1\n"
                           ".names  inst0_n1 inst0_inv@2/t\n0 1\n"));
}

TEST(MergeConstructs, YosysFlipFlopCellsAreLatches) {
  merged m = merge(
      ".model y\n.inputs clk d e\n.outputs q r s\n.subckt $_DFF_P_ C=clk D=d Q=q\n"
      ".subckt $_DFF_P_ C=clk D=d Q=r\n.attr init 1\n.subckt $ff D=e Q=s\n.param WIDTH 1\n"
      ".attr init 1\n.end\n");
  EXPECT_EQ(m.status, 0);
  EXPECT_EQ(m.err,
            "a.blif:4: warning: 1 latch initial values are unknown and read as 0: 0 latches of "
            "value 2, 3 or none, 1 Yosys flip-flops without init\n");
  EXPECT_EQ(m.model, model(".inputs clk d e", ".outputs q r s\n",
                           ".latch d inst0_q 0\n.latch d inst0_r 1\n.latch e inst0_s 1\n",
                           ".names  inst0_q q\n1 1\n.names  inst0_r r\n1 1\n"
                           ".names  inst0_s s\n1 1\n"));
}

TEST(MergeConstructs, ExdcIsSkippedAndUndrivenSignalsAreReportedOnce) {
  merged x = merge(".model x\n.inputs a\n.outputs y\n.names a y\n1 1\n.exdc\n.names a y\n0 1\n");
  EXPECT_EQ(x.status, 0);
  EXPECT_EQ(x.err,
            "a.blif:6: warning: the external don't-care network (.exdc) of model x is "
            "ignored\n");
  EXPECT_EQ(x.model, model(".inputs a", ".outputs y\n", "", ".names  a y\n1 1\n"));
  merged u = merge(
      ".model u\n.inputs a\n.outputs y z\n.names a u1 y\n11 1\n.names u1 u2 z\n1- 1\n-1 1\n"
      ".latch u3 q 0\n.names u1 u3 w\n11 1\n");
  EXPECT_EQ(u.status, 0);
  EXPECT_EQ(u.err,
            "a.blif:4: warning: 3 signals are used but never driven and read as "
            "undriven: u1, u2, u3\n");
  EXPECT_EQ(u.model, model(".inputs a", ".outputs y z\n", ".latch inst0_u3 inst0_q 0\n",
                           ".names  a inst0_u1 y\n11 1\n.names  inst0_u1 inst0_u2 z\n1- 1\n-1 1\n"
                           ".names  inst0_u1 inst0_u3 inst0_w\n11 1\n"));
}

// Refused with status 1, one line naming the file, the line and the signal,
// and no output file.
TEST(MergeConstructs, WhatCannotBeHonouredIsRefused) {
  const std::string head = ".model r\n.inputs a b\n.outputs y\n";
  const std::pair<std::string, std::string> cases[] = {
      {".gate AND2 A=a B=b O=y\n",
       "a.blif:4: .gate of cell AND2 needs a cell library, which this reader has not"},
      {".mlatch DFF D=a Q=y NIL 0\n",
       "a.blif:4: .mlatch needs a cell library, which this reader has not"},
      {".names a y\n1 1\n.names b y\n0 1\n",
       "a.blif:6: signal y is the output of the table at line 4 and also the output of the "
       "table at line 6"},
      {".names a y\n1 1\n0 0\n",
       "a.blif:6: the table of y mixes rows of output 1 and rows of "
       "output 0"},
  };
  for (const auto& [body, line] : cases) {
    TempDir d;
    d.write("a.blif", head + body);
    d.write("b.blif", kEmpty);
    auto r = run_tessaro_merge(d.path(), {"a.blif", "b.blif"});
    EXPECT_EQ(r.status, 1) << body;
    EXPECT_EQ(r.err, line + "\n");
    EXPECT_EQ(r.out, "");
    EXPECT_FALSE(d.exists("a_b.blif"));
  }
}

// A merged name that would denote two signals is refused with the names
// the files write, also where only the names as written meet.
TEST(MergeConstructs, MergedNamesThatWouldMeetAreRefused) {
  merged dotted = merge(".model a\n.inputs inst1_x.0\n.outputs o\n.names inst1_x.0 o\n1 1\n",
                        ".model b\n.inputs i\n.outputs p\n.names i x.0\n1 1\n.names x.0 p\n0 1\n");
  EXPECT_EQ(dotted.status, 1);
  EXPECT_EQ(dotted.err,
            "b.blif: local signal x.0 and input inst1_x.0 of a.blif would both be "
            "named inst1_x.0 in the merged model\n");
  // inst0_ + "_x" and an input "inst0__x": one name only once decoded.
  merged underscores =
      merge(".model b\n.inputs i\n.outputs p\n.names i _x\n1 1\n.names _x p\n0 1\n",
            ".model a\n.inputs inst0__x\n.outputs o\n.names inst0__x o\n1 1\n");
  EXPECT_EQ(underscores.status, 1);
  EXPECT_EQ(underscores.err,
            "a.blif: local signal _x and input inst0__x of b.blif would both be "
            "named inst0__x in the merged model\n");
}

}  // namespace
