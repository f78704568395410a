// Whole runs of the tessaro binary that merge two models: the connections on
// standard output, the composition's trace on standard error and the merged
// model in the output file, byte for byte.
#include <gtest/gtest.h>

#include <string>

#include "tests/test_util.h"

using testutil::run_tessaro;
using testutil::TempDir;

namespace {

// Part 0: latch s, inputs a and x, output y, local d.
const char kPart0[] =
    ".model a\n.inputs a x\n.outputs y\n.latch d s 0\n"
    ".names a x s d\n1-1 1\n.names d y\n1 1\n.end\n";
// Part 1: latch t, inputs a and y, outputs x and z.
const char kPart1[] =
    ".model b\n.inputs a y\n.outputs x z\n.latch x t 1\n"
    ".names a y t x\n111 1\n.names t z\n0 1\n.end\n";

const char kWoodHead[] =
    "wood Bddexpression statistics:\n"
    "  - bbd variables number of the bdd manager: 9\n"
    "  - variables number used : 9\n"
    "  - arrays's length  : 16\n";

std::string run_ok(TempDir& d, const std::string& a, const std::string& b) {
  d.write("a.blif", a);
  d.write("b.blif", b);
  auto r = run_tessaro(d.path(), {"a", "b"});
  EXPECT_EQ(r.status, 0) << r.err;
  return d.read("a_b.blif");
}

}  // namespace

TEST(MergeRun, TwoPartsWiredBothWays) {
  TempDir d;
  d.write("a.blif", kPart0);
  d.write("b.blif", kPart1);
  auto r = run_tessaro(d.path(), {"a", "b"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out,
            "parsing of a.blif and b.blif\n"
            "Connections list:\n"
            "(1:0 --> 0:1\n"
            ", 0:0 --> 1:1\n"
            ")\n");
  const std::string expected_err =
      std::string(kWoodHead) +
      "  - expression ids set {}\n"
      "  - nb levels 0\n"
      "\n"
      "Equations list:\n"
      "0: inst0_s = -  to vars {}\n"
      "1: inst1_t = -  to vars {}\n"
      "2: a = -  to vars {}\n"
      "3: z = -  to vars {}\n"
      "4: inst0_x = -  to vars {}\n"
      "5: inst1_y = -  to vars {}\n"
      "6: inst0_y = -  to vars {}\n"
      "7: inst1_x = -  to vars {}\n"
      "8: inst0_d = -  to vars {}\n"
      "\n"
      "tables des connexions :2\n"
      "1:0 --> 0:1\n"
      "\n"
      "0:0 --> 1:1\n"
      "\n"
      "a merger2\n"
      "\n"
      "AUTOMATE: 0 nb_state_vars 1 nb_inputs 2 nb_outputs 1 nb_locals 1\n"
      "0 --> 0 inst0_s\n"
      "1 --> 2 a\n"
      "2 --> 4 inst0_x\n"
      "3 --> 6 inst0_y\n"
      "4 --> 8 inst0_d\n"
      "\n"
      "AUTOMATE: 1 nb_state_vars 1 nb_inputs 2 nb_outputs 2 nb_locals 0\n"
      "0 --> 1 inst1_t\n"
      "1 --> 2 a\n"
      "2 --> 5 inst1_y\n"
      "3 --> 7 inst1_x\n"
      "4 --> 3 z\n"
      "nb equations definition 4\n" +
      kWoodHead +
      "  - expression ids set {3, 6, 7, 8}\n"
      "  - nb levels 0\n"
      "\n"
      "Equations list:\n"
      "0: inst0_s = -  to vars {8}\n"
      "1: inst1_t = -  to vars {3, 7}\n"
      "2: a = -  to vars {7, 8}\n"
      "3: <z> z = !inst1_t usertype: 0 dates (0,0) from vars {1}  to vars {}\n"
      "4: inst0_x = -  to vars {}\n"
      "5: inst1_y = -  to vars {7}\n"
      "6: <inst0_y> inst0_y = inst0_d usertype: 0 dates (0,0) from vars {8}  to vars {}\n"
      "7: <inst1_x> inst1_x = inst1_t * a * inst1_y usertype: 0 dates (0,0) from vars {1, 2, 5}"
      "  to vars {}\n"
      "8: <inst0_d> inst0_d = inst0_s * a usertype: 0 dates (0,0) from vars {0, 2}  to vars {6}\n"
      "\n"
      " cx 0\n"
      "automate_input_id  0 automate_output_id  1\n"
      "connexion inst0_x= inst1_x\n"
      " cx 1\n"
      "automate_input_id  1 automate_output_id  0\n"
      "connexion inst1_y= inst0_y\n";
  EXPECT_EQ(r.err, expected_err);
  EXPECT_EQ(d.read("a_b.blif"),
            ".model a_b\n"
            ".inputs a\n"
            ".outputs z\n"
            ".latch inst0_d inst0_s 0\n"
            ".latch inst1_x inst1_t 1\n"
            "\n"
            ".names  inst1_t z\n0 1\n"
            ".names  inst1_x inst0_x\n1 1\n"
            ".names  inst0_y inst1_y\n1 1\n"
            ".names  inst0_d inst0_y\n1 1\n"
            ".names  inst1_t a inst1_y inst1_x\n111 1\n"
            ".names  inst0_s a inst0_d\n11 1\n"
            "\n"
            ".end\n"
            "\n");
}

TEST(MergeRun, NoSharedNameGivesEmptyConnectionListAndUnionInterface) {
  TempDir d;
  const std::string out = run_ok(d, ".model a\n.inputs p q\n.outputs y\n.names p q y\n11 1\n.end\n",
                                 ".model b\n.inputs r p\n.outputs z\n.names r z\n1 1\n.end\n");
  EXPECT_EQ(out,
            ".model a_b\n"
            ".inputs p q r\n"
            ".outputs y z\n"
            "\n"
            ".names  p q y\n11 1\n"
            ".names  r z\n1 1\n"
            "\n.end\n\n");
  auto r = run_tessaro(d.path(), {"a", "b"});
  EXPECT_EQ(r.out, "parsing of a.blif and b.blif\nConnections list:\n()\n");
}

TEST(MergeRun, SharedOutputIsTheOrOfBothDefinitions) {
  TempDir d;
  const std::string out = run_ok(d, ".model a\n.inputs u\n.outputs z\n.names u z\n1 1\n.end\n",
                                 ".model b\n.inputs v\n.outputs z\n.names v z\n1 1\n.end\n");
  EXPECT_EQ(out, ".model a_b\n.inputs u v\n.outputs z\n\n.names  u v z\n1- 1\n-1 1\n\n.end\n\n");
}

TEST(MergeRun, SharedOutputReadInsideItsModelKeepsThatModelsValue) {
  TempDir d;
  // w reads the first model's own z, not the or of both models' z.
  const std::string out =
      run_ok(d, ".model a\n.inputs u\n.outputs z w\n.names u z\n1 1\n.names z w\n1 1\n.end\n",
             ".model b\n.inputs v\n.outputs z\n.names v z\n1 1\n.end\n");
  EXPECT_EQ(out,
            ".model a_b\n.inputs u v\n.outputs z w\n\n"
            ".names  v inst0_z z\n1- 1\n-1 1\n"
            ".names  inst0_z w\n1 1\n"
            ".names  u inst0_z\n1 1\n"
            "\n.end\n\n");
}

TEST(MergeRun, FileLayoutWithoutInputsOutputsOrDefinitions) {
  TempDir d;
  // No inputs: the second line is empty. No outputs: no line at all. A latch
  // whose input nothing names stays an undriven local.
  EXPECT_EQ(run_ok(d, ".model a\n.latch n s 1\n.end\n", ".model b\n.end\n"),
            ".model a_b\n\n.latch inst0_n inst0_s 1\n\n\n.end\n\n");
  // No latch: the empty line after the (absent) latches is still written.
  EXPECT_EQ(run_ok(d, ".model a\n.outputs k\n.names k\n1\n.end\n", ".model b\n.end\n"),
            ".model a_b\n\n.outputs k\n\n.names  k\n1\n\n.end\n\n");
  EXPECT_EQ(run_ok(d, ".model a\n.outputs k\n.names k\n0\n.end\n", ".model b\n.end\n"),
            ".model a_b\n\n.outputs k\n\n.names  k\n0\n\n.end\n\n");
}

TEST(MergeRun, CoversFromTablesOfEveryKind) {
  TempDir d;
  auto cover = [&](const std::string& rows) {
    return run_ok(d, ".model a\n.inputs a b\n.outputs y\n.names a b y\n" + rows + ".end\n",
                  ".model b\n.end\n");
  };
  const std::string head = ".model a_b\n.inputs a b\n.outputs y\n\n";
  const std::string tail = "\n.end\n\n";
  EXPECT_EQ(cover("11 1\n"), head + ".names  a b y\n11 1\n" + tail);
  EXPECT_EQ(cover("1- 1\n-1 1\n"), head + ".names  a b y\n1- 1\n-1 1\n" + tail);
  EXPECT_EQ(cover("0- 1\n"), head + ".names  a y\n0 1\n" + tail);
  // Primes in discovery order: not b replaces a * not b in place.
  EXPECT_EQ(cover("11 0\n"), head + ".names  a b y\n-0 1\n0- 1\n" + tail);
  EXPECT_EQ(cover("1- 0\n-1 0\n"), head + ".names  a b y\n00 1\n" + tail);
  // A short row constrains only its positions and is an ON row.
  EXPECT_EQ(cover("1\n"), head + ".names  a y\n1 1\n" + tail);
  // Don't-cares everywhere make the constant one.
  EXPECT_EQ(cover("-- 1\n"), head + ".names  y\n1\n" + tail);
  // The same input twice multiplies a literal with its negation.
  EXPECT_EQ(
      run_ok(d, ".model a\n.inputs a\n.outputs y\n.names a a y\n10 1\n.end\n", ".model b\n.end\n"),
      ".model a_b\n.inputs a\n.outputs y\n\n.names  y\n0\n" + tail);
}

TEST(MergeRun, LatchInitialValuesAndVariableOrder) {
  TempDir d;
  // Order s, a, b, y, d: latch output, inputs, output, local.
  const std::string out =
      run_ok(d,
             ".model m\n.inputs a b\n.outputs y\n.latch d s 1\n.names a s d\n11 1\n"
             ".names s b y\n1- 1\n.end\n",
             ".model n\n.inputs c\n.outputs w\n.latch c r 0\n.names r w\n1 1\n.end\n");
  EXPECT_EQ(out,
            ".model a_b\n.inputs a b c\n.outputs y w\n"
            ".latch inst0_d inst0_s 1\n"
            ".latch c inst1_r 0\n\n"
            ".names  inst0_s y\n1 1\n"
            ".names  inst1_r w\n1 1\n"
            ".names  inst0_s a inst0_d\n11 1\n"
            "\n.end\n\n");
}

TEST(MergeRun, LatchOutputAlsoListedAsOutput) {
  TempDir d;
  // q is a latch output and an output of the first model; it drives the
  // second model's input q and is also an output of the result.
  const std::string out =
      run_ok(d, ".model a\n.inputs i\n.outputs q\n.latch d q 0\n.names i q d\n10 1\n.end\n",
             ".model b\n.inputs q\n.outputs o\n.names q o\n0 1\n.end\n");
  EXPECT_EQ(out,
            ".model a_b\n.inputs i\n.outputs o\n"
            ".latch inst0_d inst0_q 0\n\n"
            ".names  inst1_q o\n0 1\n"
            ".names  inst0_q inst1_q\n1 1\n"
            ".names  inst0_q i inst0_d\n01 1\n"
            "\n.end\n\n");
  // Unconnected, the output stays and carries the latch's value.
  const std::string alone =
      run_ok(d, ".model a\n.inputs i\n.outputs q\n.latch d q 1\n.names i q d\n10 1\n.end\n",
             ".model b\n.end\n");
  EXPECT_EQ(alone,
            ".model a_b\n.inputs i\n.outputs q\n"
            ".latch inst0_d inst0_q 1\n\n"
            ".names  inst0_q q\n1 1\n"
            ".names  inst0_q i inst0_d\n01 1\n"
            "\n.end\n\n");
}

TEST(MergeRun, InputAlsoListedAsOutputIsAWire) {
  TempDir d;
  const char a[] = ".model a\n.inputs x i\n.outputs x y\n.names i y\n1 1\n.end\n";
  EXPECT_EQ(run_ok(d, a, ".model b\n.end\n"),
            ".model a_b\n.inputs x i\n.outputs x y\n\n.names  i y\n1 1\n\n.end\n\n");
  // Merged with itself, the input x would be driven by itself.
  d.write("a.blif", a);
  auto self = run_tessaro(d.path(), {"a", "a"});
  EXPECT_EQ(self.status, 1);
  EXPECT_EQ(self.out,
            "parsing of a.blif and a.blif\nConnections list:\n(1:0 --> 0:0\n, 0:0 --> 1:0\n)\n");
  EXPECT_EQ(self.err,
            "a.blif: input x is also listed as an output, and the other model, a.blif, both drives "
            "and reads x: the wire would drive itself\n");
  EXPECT_EQ(d.read("a_a.blif"), "");
  // Wired to the other model's input x, the input x drives it.
  EXPECT_EQ(run_ok(d, a, ".model b\n.inputs x\n.outputs o\n.names x o\n0 1\n.end\n"),
            ".model a_b\n.inputs x i\n.outputs y o\n\n"
            ".names  i y\n1 1\n"
            ".names  inst1_x o\n0 1\n"
            ".names  x inst1_x\n1 1\n"
            "\n.end\n\n");
  // The other model's output x drives the input x, and so the output x too.
  EXPECT_EQ(run_ok(d, a, ".model b\n.inputs j\n.outputs x\n.names j x\n1 1\n.end\n"),
            ".model a_b\n.inputs i j\n.outputs x y\n\n"
            ".names  inst0_x x\n1 1\n"
            ".names  i y\n1 1\n"
            ".names  inst1_x inst0_x\n1 1\n"
            ".names  j inst1_x\n1 1\n"
            "\n.end\n\n");
}

TEST(MergeRun, RefusedModels) {
  TempDir d;
  struct Case {
    std::string a, err;
  } cases[] = {
      {".model m\n.inputs x\n.outputs y\n.names x y\n1 1\n0 0\n.end\n",
       "a.blif: signal y is defined by a table that mixes rows of output 1 and rows of output 0\n"},
      {".model m\n.inputs x\n.latch d x 0\n.names d\n1\n.end\n",
       "a.blif: signal x is both an input and a latch output\n"},
      {".model m\n.latch d s 0\n.latch e s 1\n.end\n",
       "a.blif: signal s is the output of two latches\n"},
      {".model m\n.inputs x\n.names x\n1\n.end\n",
       "a.blif: signal x is an input and is also defined by a table\n"},
      {".model m\n.latch d s 0\n.names s\n1\n.end\n",
       "a.blif: signal s is a latch output and is also defined by a table\n"},
      {".model m\n.outputs y\n.names y\n1\n.names y\n0\n.end\n",
       "a.blif: signal y is defined by two tables\n"},
      {".model m\n.inputs x\n.outputs y\n.names x y\n1 1 1\n.end\n",
       "error in blif definition about y variable\n"},
  };
  for (const Case& c : cases) {
    d.write("a.blif", c.a);
    d.write("b.blif", ".model b\n.end\n");
    auto r = run_tessaro(d.path(), {"a", "b"});
    EXPECT_EQ(r.status, 1) << c.a;
    EXPECT_EQ(r.err, c.err) << c.a;
    EXPECT_EQ(r.out, "parsing of a.blif and b.blif\n") << c.a;
    EXPECT_EQ(d.read("a_b.blif"), "") << c.a;
    // The trace written before the fatal error is all in the log.
    const std::string log = d.read("a_b.log");
    EXPECT_EQ(log.substr(log.size() - 24), "1 --> definition finale\n") << c.a;
  }
}

TEST(MergeRun, NamesThatWouldCollideAreRefused) {
  TempDir d;
  d.write("a.blif", ".model a\n.inputs inst1_x\n.outputs y\n.names inst1_x y\n1 1\n.end\n");
  d.write("b.blif", ".model b\n.inputs i\n.outputs o\n.names i x\n1 1\n.names x o\n1 1\n.end\n");
  auto r = run_tessaro(d.path(), {"a", "b"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            "b.blif: local signal x and input inst1_x of a.blif would both be named inst1_x in the "
            "merged model\n");
  EXPECT_EQ(r.out, "parsing of a.blif and b.blif\nConnections list:\n()\n");
  EXPECT_EQ(d.read("a_b.blif"), "");
  const std::string log = d.read("a_b.log");
  EXPECT_EQ(log.substr(log.size() - 24), "1 --> definition finale\n");
  // Both models were read whole before the merge refused them.
  EXPECT_NE(log.find("1 --> definition finale\n"), log.rfind("1 --> definition finale\n"));
}

TEST(MergeRun, RepeatedInterfaceNamesCountOnce) {
  TempDir d;
  EXPECT_EQ(
      run_ok(d, ".model a\n.inputs x x\n.outputs y y\n.names x y\n0 1\n.end\n", ".model b\n.end\n"),
      ".model a_b\n.inputs x\n.outputs y\n\n.names  x y\n0 1\n\n.end\n\n");
}

TEST(MergeRun, RefusalInTheSecondFileNamesIt) {
  TempDir d;
  const char a[] = ".model a\n.inputs i\n.outputs o\n.names i o\n1 1\n.end\n";
  d.write("a.blif", a);
  d.write("b.blif", ".model b\n.outputs y\n.names y\n1\n.names y\n0\n.end\n");
  auto r = run_tessaro(d.path(), {"a", "b"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "parsing of a.blif and b.blif\n");
  EXPECT_EQ(r.err, "b.blif: signal y is defined by two tables\n");
  EXPECT_EQ(d.read("a_b.blif"), "");
  // The log holds both traces, the second up to its final reduction.
  const std::string log = d.read("a_b.log");
  EXPECT_EQ(log.find("1 --> definition finale\n"),
            log.find("6 --> b\n") - std::string("1 --> definition finale\n").size());
  EXPECT_EQ(log.substr(log.size() - 24), "1 --> definition finale\n");
  // A row longer than its names keeps its fixed text, in either file.
  d.write("b.blif", ".model b\n.inputs x\n.outputs y\n.names x y\n1 1 1\n.end\n");
  auto fixed = run_tessaro(d.path(), {"a", "b"});
  EXPECT_EQ(fixed.status, 1);
  EXPECT_EQ(fixed.err, "error in blif definition about y variable\n");
  EXPECT_EQ(d.read("a_b.blif"), "");
}

TEST(MergeRun, ARefusedModelEndsTheParseAtItsEnd) {
  TempDir d;
  // Nothing after ".end" is read: no syntax error, no echo of the bracket.
  d.write("a.blif", ".model m\n.latch d s 0\n.latch e s 1\n.end\n[junk\n");
  d.write("b.blif", ".model b\n.end\n");
  auto r = run_tessaro(d.path(), {"a", "b"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "parsing of a.blif and b.blif\n");
  EXPECT_EQ(r.err, "a.blif: signal s is the output of two latches\n");
  EXPECT_EQ(d.read("a_b.blif"), "");
  const std::string log = d.read("a_b.log");
  EXPECT_EQ(log.substr(log.size() - 24), "1 --> definition finale\n");
}
