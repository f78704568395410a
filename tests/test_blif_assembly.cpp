// The assembly of an automaton from a model record, as another reader than
// the grammar would fill it: the checks of its signals, the covers of its
// tables, the order of its variables, and every refusal as a diagnostic.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "blif/blif_assembly.h"
#include "support/reference_paths.h"
#include "tests/random_tables.h"

namespace {

using names = std::vector<std::string>;

blif_model model(names inputs, names outputs, std::vector<blif_latch> latches,
                 std::vector<blif_table> tables) {
  blif_model m;
  m.name = "m";
  m.file = "a.blif";
  m.inputs = std::move(inputs);
  m.outputs = std::move(outputs);
  m.latches = std::move(latches);
  m.tables = std::move(tables);
  return m;
}

std::string refusal_of(const blif_model& m) {
  std::unique_ptr<b_automaton> a;
  const tessaro::outcome built = assemble_automaton(m, a);
  if (built.ok()) return "accepted";
  EXPECT_EQ(a, nullptr);
  EXPECT_EQ(built.error().status, 1);
  return tessaro::diagnostic_line(built.error());
}

names variable_names(const b_automaton& a) {
  names all;
  bddpp_manager* man = a.manager_associe();
  for (long i = 0; i < man->Nb_bdd_vars(); ++i)
    all.push_back(man->Name_var_by_index(i));
  return all;
}

}  // namespace

TEST(BlifAssembly, SignalsWithTwoDriversNameTheFileTheLineAndTheSignal) {
  const struct {
    blif_model m;
    std::string line;
  } cases[] = {
      {model({"x"}, {}, {{"d", "x", 0, 3}}, {}),
       "a.blif:3: signal x is both an input and a latch output"},
      {model({}, {}, {{"d", "s", 0, 2}, {"e", "s", 1, 5}}, {}),
       "a.blif:5: signal s is the output of two latches"},
      {model({"x"}, {}, {}, {{{"x"}, {{1}}, 4}}),
       "a.blif:4: signal x is an input and is also defined by a table"},
      {model({}, {}, {{"d", "s", 0, 2}}, {{{"s"}, {{1}}, 7}}),
       "a.blif:7: signal s is a latch output and is also defined by a table"},
      {model({}, {"y"}, {}, {{{"y"}, {{1}}, 3}, {{"y"}, {{0}}, 5}}),
       "a.blif:5: signal y is defined by two tables"},
      // Without lines, as the grammar gives them, the file alone.
      {model({}, {}, {{"d", "s", 0, 0}, {"e", "s", 1, 0}}, {}),
       "a.blif: signal s is the output of two latches"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(refusal_of(c.m), c.line);
    const tessaro::outcome checked = check_model_signals(c.m);
    ASSERT_FALSE(checked.ok());
    EXPECT_EQ(checked.error().file, "a.blif");
    EXPECT_FALSE(checked.error().fixed_text);
  }
  // The first clash in file order is the one reported.
  EXPECT_EQ(refusal_of(model({"x"}, {}, {{"d", "s", 0, 2}, {"e", "s", 0, 3}, {"f", "x", 0, 4}},
                             {{{"x"}, {{1}}, 6}})),
            "a.blif:3: signal s is the output of two latches");
}

TEST(BlifAssembly, TableRefusals) {
  // A row longer than its names keeps its fixed text.
  const blif_model too_long = model({"x"}, {"y"}, {}, {{{"x", "y"}, {{1, 1, 1}}, 4}});
  std::unique_ptr<b_automaton> a;
  const tessaro::outcome refused = assemble_automaton(too_long, a);
  ASSERT_FALSE(refused.ok());
  EXPECT_TRUE(refused.error().fixed_text);
  EXPECT_EQ(refused.error().signal, "y");
  EXPECT_EQ(refused.error().line, 4);
  EXPECT_EQ(refused.error().file, "a.blif");
  EXPECT_EQ(tessaro::diagnostic_line(refused.error()), "error in blif definition about y variable");
  EXPECT_EQ(refusal_of(model({"x"}, {"y"}, {}, {{{"x", "y"}, {{1, 1}, {0, 0}}, 6}})),
            "a.blif:6: signal y is defined by a table that mixes rows of output 1 and rows of "
            "output 0");
  EXPECT_EQ(refusal_of(model({}, {}, {}, {{{}, {}, 2}})), "a.blif:2: a table names no signal");
  // Tables are converted in file order: the first faulty one is reported.
  EXPECT_EQ(refusal_of(model({"x"}, {"y", "z"}, {},
                             {{{"x", "z"}, {{1, 1}, {1, 0}}, 3}, {{"x", "y"}, {{1, 1, 0}}, 5}})),
            "a.blif:3: signal z is defined by a table that mixes rows of output 1 and rows of "
            "output 0");
}

TEST(BlifAssembly, VariableOrderLocalsAndFunctions) {
  // Latch s loads d = a and s; y = s; the latch input e is named nowhere else.
  const blif_model m =
      model({"a", "b", "a"}, {"y", "s", "y"}, {{"d", "s", 1, 0}, {"e", "r", 0, 0}},
            {{{"a", "s", "d"}, {{1, 1, 1}}, 0}, {{"s", "b", "y"}, {{1, 2, 1}}, 0}});
  std::unique_ptr<b_automaton> a;
  ASSERT_TRUE(assemble_automaton(m, a).ok());
  // Latch outputs, inputs and outputs each once, the locals, then the
  // undriven latch input; the output s keeps the latch's variable.
  EXPECT_EQ(variable_names(*a), (names{"s", "r", "a", "b", "y", "d", "e"}));
  EXPECT_EQ(a->input_names(), (names{"a", "b"}));
  EXPECT_EQ(a->output_names(), (names{"y", "s"}));
  EXPECT_EQ(a->local_names(), (names{"d", "e"}));
  bddpp_manager* man = a->manager_associe();
  auto var = [&](const char* n) { return man->Bdd_var_by_name(n); };
  ASSERT_EQ(a->nb_equ_trans(), 2);
  EXPECT_EQ(a->equ_trans(0)->my_bdd_var(), var("s"));
  EXPECT_EQ(a->equ_trans(0)->my_bdd_exp(), var("d"));
  EXPECT_EQ(a->equ_trans(1)->my_bdd_exp(), var("e"));
  ASSERT_EQ(a->nb_equ_def(), 2);
  EXPECT_EQ(a->equ_def(0)->my_name(), "y");
  EXPECT_EQ(a->equ_def(0)->my_bdd_exp(), var("s"));
  bdd and_as = man->Bdd_and(var("a"), var("s"));
  EXPECT_EQ(a->equ_def(1)->my_bdd_exp(), and_as);
  man->Bdd_free(and_as);
  // One state: s = 1, r = 0.
  bdd init = man->Bdd_and(var("s"), man->Bdd_not(var("r")));
  EXPECT_EQ(a->initial_state_bdd(), init);
  man->Bdd_free(init);
  EXPECT_EQ(a->assertion_bdd(), man->Bdd_one());
  EXPECT_EQ(a->invariant_bdd(), man->Bdd_zero());
}

// Random tables of ON rows or of OFF rows, some ON rows shorter than the
// names: the equation's function is the or of the rows' products (or its
// complement), minterm by minterm.
TEST(BlifAssembly, CoversGiveTheirFunctionOnRandomTables) {
  std::mt19937 rng(20240615);
  for (int round = 0; round < 200; ++round) {
    const int n = 1 + static_cast<int>(rng() % 6);
    names table_names;
    for (int i = 0; i < n; ++i)
      table_names.push_back("x" + std::to_string(i));
    table_names.push_back("y");
    const bool off = rng() % 3 == 0;
    std::vector<std::vector<int>> rows(1 + rng() % 5);
    for (std::vector<int>& row : rows) {
      const int length = !off && rng() % 4 == 0 ? static_cast<int>(rng() % (n + 1)) : n + 1;
      for (int i = 0; i < length; ++i)
        row.push_back(i == n ? (off ? 0 : 1) : static_cast<int>(rng() % 3));
    }
    const blif_model m = model(names(table_names.begin(), table_names.end() - 1), {"y"}, {},
                               {{table_names, rows, 1}});
    std::unique_ptr<b_automaton> a;
    ASSERT_TRUE(assemble_automaton(m, a).ok());
    bddpp_manager* man = a->manager_associe();
    std::vector<bdd> vars;
    for (int i = 0; i < n; ++i)
      vars.push_back(man->Bdd_var_by_name(table_names[i]));
    std::string table(std::size_t{1} << n, '?');
    man->Truth_table(a->equ_def(0)->my_bdd_exp(), n, vars.data(), table.data());
    for (int minterm = 0; minterm < (1 << n); ++minterm) {
      bool any = false;
      for (const std::vector<int>& row : rows) {
        bool matches = true;
        for (int i = 0; i < n && i < static_cast<int>(row.size()); ++i)
          if (row[i] != 2 && row[i] != ((minterm >> i) & 1)) matches = false;
        any = any || matches;
      }
      EXPECT_EQ(table[minterm], (any != off) ? '1' : '0')
          << "round " << round << " minterm " << minterm;
    }
  }
}

// Random models whose lists share names (inputs listed twice, outputs that
// are inputs or latch outputs, latch inputs that are inputs, locals or named
// nowhere else, names that differ in one byte): the variables come in the
// order of first occurrence over latch outputs, inputs, outputs, table names
// and latch inputs, and each table's function reads the variables its names
// give, minterm by minterm.
TEST(BlifAssembly, SharedNamesKeepTheirFirstVariableOnRandomModels) {
  std::mt19937 rng(77);
  names pool;
  for (int i = 0; i < 12; ++i) {
    pool.push_back("p" + std::to_string(i));
    pool.push_back("a_long_signal_name_" + std::string(1, static_cast<char>('a' + i)));
  }
  auto pick = [&] { return pool[rng() % pool.size()]; };
  using testutil::listed;
  for (int round = 0; round < 150; ++round) {
    names inputs, outputs, driven;
    for (int i = static_cast<int>(rng() % 5); i > 0; --i)
      inputs.push_back(pick());
    std::vector<blif_latch> latches;
    for (int i = static_cast<int>(rng() % 4); i > 0; --i) {
      const std::string out = pick();
      if (listed(inputs, out) || listed(driven, out)) continue;
      driven.push_back(out);
      latches.push_back({pick(), out, static_cast<int>(rng() % 2), 0});
    }
    std::vector<blif_table> tables;
    testutil::add_random_tables(rng, pick, inputs, driven, tables);
    for (int i = static_cast<int>(rng() % 4); i > 0; --i)
      outputs.push_back(pick());
    const blif_model m = model(inputs, outputs, latches, tables);
    std::unique_ptr<b_automaton> a;
    ASSERT_TRUE(assemble_automaton(m, a).ok()) << "round " << round;

    names order;
    auto note = [&](const std::string& name) {
      if (!listed(order, name)) order.push_back(name);
    };
    for (const blif_latch& l : latches)
      note(l.output);
    for (const names* list : {&inputs, &outputs})
      for (const std::string& name : *list)
        note(name);
    for (const blif_table& t : tables)
      for (const std::string& name : t.names)
        note(name);
    for (const blif_latch& l : latches)
      note(l.input);
    ASSERT_EQ(variable_names(*a), order) << "round " << round;

    bddpp_manager* man = a->manager_associe();
    // Every equation's dependence set is the support of its right member.
    auto same_support = [&](const Bddexpression* e) {
      std::vector<long> walked = man->Support_indexes(e->my_bdd_exp());
      return e->dependances().same_as(walked);
    };
    ASSERT_EQ(a->nb_equ_trans(), static_cast<int>(latches.size()));
    for (int i = 0; i < a->nb_equ_trans(); ++i)
      EXPECT_TRUE(same_support(a->equ_trans(i))) << a->equ_trans(i)->my_name();
    for (int i = 0; i < a->nb_equ_def(); ++i)
      EXPECT_TRUE(same_support(a->equ_def(i))) << a->equ_def(i)->my_name();
    ASSERT_EQ(a->nb_equ_def(), static_cast<int>(tables.size()));
    for (const blif_table& t : tables) {
      const long k = man->Index_var_by_name(t.names.back());
      const Bddexpression* e = a->def_wood_associee()->exp_at(k);
      ASSERT_NE(e, nullptr) << t.names.back();
      EXPECT_EQ(e->my_name(), t.names.back());
      const int n = static_cast<int>(t.names.size()) - 1;
      std::vector<bdd> vars;
      for (int i = 0; i < n; ++i)
        vars.push_back(man->Bdd_var_by_name(t.names[i]));
      std::string table(std::size_t{1} << n, '?');
      man->Truth_table(e->my_bdd_exp(), n, vars.data(), table.data());
      for (int minterm = 0; minterm < (1 << n); ++minterm) {
        bool any = false;
        for (std::size_t r = 0; r < t.rows.size(); ++r) {
          bool matches = true;
          for (int i = 0; i < n; ++i)
            if (t.rows[r][i] != 2 && t.rows[r][i] != ((minterm >> i) & 1)) matches = false;
          any = any || matches;
        }
        EXPECT_EQ(table[minterm], any ? '1' : '0') << t.names.back() << " minterm " << minterm;
      }
    }
  }
}

// The conversion's shortcuts (a row's lowest literal starting its product,
// the first row standing for the sum, the support of a table of one row
// read off its literals) against the straightforward path that joins every
// literal to one and every row to zero and walks the function for its
// support: the same function and the same dependence set, on
// random tables that name a signal twice (a row can then contradict
// itself), rows of dashes only, rows shorter than the names, tables of no
// input and of OFF rows.
TEST(BlifAssembly, ShortcutsOfTheConversionAgreeWithTheStraightforwardPath) {
  std::mt19937 rng(91);
  for (int round = 0; round < 300; ++round) {
    const int n = static_cast<int>(rng() % 5);
    names columns;
    for (int i = 0; i < n; ++i)
      columns.push_back("x" + std::to_string(rng() % 4));
    columns.push_back("y");
    const bool off = rng() % 4 == 0;
    std::vector<std::vector<int>> rows(1 + rng() % 4);
    for (std::vector<int>& row : rows) {
      const int length = !off && rng() % 5 == 0 ? static_cast<int>(rng() % (n + 1)) : n + 1;
      for (int i = 0; i < length; ++i)
        row.push_back(i == n ? (off ? 0 : 1) : static_cast<int>(rng() % 3));
    }
    const blif_model m = model({"x0", "x1", "x2", "x3"}, {"y"}, {}, {{columns, rows, 1}});
    std::string tables[2];
    std::string dependences[2];
    for (const bool straight : {false, true}) {
      tessaro::reference_paths() = straight;
      std::unique_ptr<b_automaton> a;
      const bool built = assemble_automaton(m, a).ok();
      tessaro::reference_paths() = false;
      ASSERT_TRUE(built) << "round " << round;
      bddpp_manager* man = a->manager_associe();
      bdd vars[4];
      for (int i = 0; i < 4; ++i)
        vars[i] = man->Bdd_var_by_name("x" + std::to_string(i));
      std::string& table = tables[straight];
      table.assign(16, '?');
      man->Truth_table(a->equ_def(0)->my_bdd_exp(), 4, vars, table.data());
      std::ostringstream text;
      text << a->equ_def(0)->dependances();
      dependences[straight] = text.str();
    }
    EXPECT_EQ(tables[0], tables[1]) << "round " << round;
    EXPECT_EQ(dependences[0], dependences[1]) << "round " << round;
  }
}
