// The canonical subset text of a flat model: its exact layout, its refusal
// of names that are not identifiers, and, through the tessaro binary, that
// the core reads it into the same automaton: a file the subset reads gives
// the same log, model and trace as its canonical text, and random general
// files (odd names, hierarchy, Yosys cells) merged through their canonical
// texts keep their function.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "blif/canonical_text.h"
#include "blif/general_reader.h"
#include "blif/name_encoding.h"
#include "tests/flat_model_sim.h"
#include "tests/test_util.h"

namespace {

tessaro::flat_model read_ok(const std::string& text) {
  tessaro::flat_model m;
  std::vector<tessaro::diagnostic> w;
  tessaro::outcome o = tessaro::read_general_blif(text, "t.blif", m, w);
  EXPECT_TRUE(o.ok()) << tessaro::diagnostic_line(o.error()) << "\n" << text;
  return m;
}

std::string canonical(const tessaro::flat_model& m) {
  std::string text;
  tessaro::outcome o = tessaro::write_canonical_text(tessaro::encode_model(m), text);
  EXPECT_TRUE(o.ok()) << tessaro::diagnostic_line(o.error());
  return text;
}

TEST(CanonicalText, ExactLayout) {
  auto m = read_ok(
      ".model s27.bench\n.inputs a b\n.inputs c\n.outputs y[0] k\n"
      ".latch n q re clk 2\n.names a b\\\n c n\n1-1 1\n.names q y[0]\n0 0\n"
      ".names k\n1\n.names z\n.names a b e\n");
  EXPECT_EQ(canonical(m),
            ".model __s27_2ebench\n.inputs a b c\n.outputs __y_5b0_5d k\n.latch n q 0\n"
            ".names a b c n\n1-1 1\n.names q __y_5b0_5d\n0 0\n.names k\n1\n.names z\n0\n"
            ".names a b e\n-- 0\n.end\n");
  // No interface lists without names.
  EXPECT_EQ(canonical(read_ok(".model m\n.names k\n1\n")), ".model m\n.names k\n1\n.end\n");
}

TEST(CanonicalText, RefusesNamesThatAreNotIdentifiers) {
  auto m = read_ok(".model m\n.inputs a.b\n.outputs y\n.names a.b y\n1 1\n");
  std::string text;
  tessaro::outcome o = tessaro::write_canonical_text(m, text);
  ASSERT_FALSE(o.ok());
  EXPECT_EQ(tessaro::diagnostic_line(o.error()),
            "t.blif: the name a.b is no identifier of the subset: encode the model first");
  EXPECT_EQ(o.error().signal, "a.b");
}

// tessaro a b on the files and on their canonical texts: every byte it
// writes is the same.
void expect_same_run(const std::string& a_text, const std::string& b_text) {
  testutil::TempDir plain, canon;
  plain.write("a.blif", a_text);
  plain.write("b.blif", b_text);
  canon.write("a.blif", canonical(read_ok(a_text)));
  canon.write("b.blif", canonical(read_ok(b_text)));
  auto r1 = testutil::run_tessaro(plain.path(), {"a", "b"});
  auto r2 = testutil::run_tessaro(canon.path(), {"a", "b"});
  EXPECT_EQ(r1.status, 0);
  EXPECT_EQ(r1.status, r2.status);
  EXPECT_EQ(r1.out, r2.out);
  EXPECT_EQ(r1.err, r2.err);
  EXPECT_EQ(plain.read("a_b.blif"), canon.read("a_b.blif"));
  EXPECT_EQ(plain.read("a_b.log"), canon.read("a_b.log"));
  EXPECT_FALSE(plain.read("a_b.log").empty());
}

TEST(CanonicalText, SubsetFilesGiveTheSameRunAsTheirCanonicalText) {
  const std::string examples = std::string(TESSARO_SOURCE_DIR) + "/examples/";
  expect_same_run(testutil::read_file(examples + "counter.blif"),
                  testutil::read_file(examples + "pulse.blif"));
  // Layouts the subset allows that the canonical text writes otherwise:
  // comments, rows written value by value, name lists over several lines.
  expect_same_run(
      "# comment\n.model left\n.inputs a\n  b c\n.outputs y z\n.latch  d s 1 # a latch\n"
      ".names a s d\n1 1 1\n0 0 1\n.names b c y\n1 0 1\n\n.names z\n0\n.end\n",
      ".model right\n.inputs y\n.outputs w\n.names y w\n0 1\n\n.end");
}

std::string pick(std::mt19937& rng, const std::vector<std::string>& v) {
  return v[rng() % v.size()];
}

// A random general file: a top with odd names, latches of every form,
// ON, OFF and constant tables, a Yosys enable flip-flop and an instance of
// a second model. Signals are defined in order, so there is no cycle.
std::string random_file(std::mt19937& rng) {
  static const char* stems[] = {"v6.", "a[", "$abc$", "1GAT(", "x:", "n", "_", "G", "w\\"};
  std::vector<std::string> known;
  int serial = 0;
  auto fresh = [&]() { return std::string(stems[rng() % 9]) + std::to_string(serial++); };
  std::string text = ".model top.m\n.inputs";
  const int inputs = 2 + static_cast<int>(rng() % 3);
  for (int i = 0; i < inputs; ++i) {
    known.push_back(fresh());
    text += " " + known.back() + (i == 0 ? " \\\n " : "");
  }
  std::vector<std::string> outputs;
  std::string body;
  const int statements = 4 + static_cast<int>(rng() % 8);
  for (int s = 0; s < statements; ++s) {
    const std::string out = fresh();
    const int kind = static_cast<int>(rng() % 6);
    if (kind == 0) {
      body +=
          ".latch " + pick(rng, known) + " " + out + " re clk " + std::to_string(rng() % 4) + "\n";
    } else if (kind == 1) {
      body += ".subckt $_DFFE_PN_ C=clk D=" + pick(rng, known) + " E=" + pick(rng, known) +
              " Q=" + out + "\n";
    } else if (kind == 2) {
      body += ".subckt inner p=" + pick(rng, known) + " q=" + pick(rng, known) + " r=" + out + "\n";
    } else {
      const int k = static_cast<int>(rng() % 4);
      body += ".names";
      for (int i = 0; i < k; ++i)
        body += " " + pick(rng, known);
      body += " " + out + "\n";
      const char value = kind == 3 ? '0' : '1';
      const int rows = static_cast<int>(rng() % 3);
      for (int r = 0; r < rows; ++r) {
        for (int i = 0; i < k; ++i)
          body += "01-"[rng() % 3];
        body += std::string(k ? " " : "") + value + "\n";
      }
    }
    known.push_back(out);
    if (rng() % 2) outputs.push_back(out);
  }
  if (outputs.empty()) outputs.push_back(known.back());
  text += "\n.outputs";
  for (const std::string& o : outputs)
    text += " " + o;
  text += "\n" + body + ".end\n";
  text += ".model inner\n.inputs p q\n.outputs r\n.names p q t\n10 1\n01 1\n.latch t r 1\n.end\n";
  return text;
}

TEST(CanonicalText, RandomGeneralFilesKeepTheirFunctionThroughTessaro) {
  std::mt19937 rng(1414);
  for (int round = 0; round < 25; ++round) {
    const std::string text = random_file(rng);
    SCOPED_TRACE(text);
    const tessaro::flat_model m = read_ok(text);
    testutil::TempDir d;
    d.write("x.blif", canonical(m));
    d.write("e.blif", ".model e\n.end\n");
    auto r = testutil::run_tessaro(d.path(), {"x", "e"});
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(r.out, "parsing of x.blif and e.blif\nConnections list:\n()\n");
    const tessaro::flat_model merged = read_ok(d.read("x_e.blif"));
    // Interface names are encoded without prefix.
    std::vector<std::string> ins;
    for (const std::string& n : m.inputs)
      ins.push_back(tessaro::encode_name(n));
    EXPECT_EQ(merged.inputs, ins);
    testutil::flat_model_sim original(m), through(merged);
    for (int cycle = 0; cycle < 20; ++cycle) {
      std::map<std::string, int> in, in_encoded;
      for (const std::string& n : m.inputs) {
        in[n] = rng() & 1;
        in_encoded[tessaro::encode_name(n)] = in[n];
      }
      auto v1 = original.step(in);
      auto v2 = through.step(in_encoded);
      for (const std::string& o : m.outputs)
        ASSERT_EQ(v1[o], v2[tessaro::encode_name(o)]) << o << " at cycle " << cycle;
    }
  }
}

}  // namespace
