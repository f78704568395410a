// Every raw file of ../shared/benchmarks/raw (as SIS, ABC, Yosys and the
// benchmark suites wrote them) is read by the general reader with the
// warnings expected for it, and its canonical text reads back into the
// same model. Skipped when the folder is absent.
#include <dirent.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "blif/canonical_text.h"
#include "blif/general_reader.h"
#include "blif/name_encoding.h"
#include "tests/test_util.h"

namespace {

std::string raw_dir() {
  const std::string b = testutil::benchmarks_dir();
  return b.empty() || !testutil::file_exists(b + "/raw") ? std::string() : b + "/raw";
}

std::vector<std::string> raw_files() {
  std::vector<std::string> files;
  const std::string root = raw_dir();
  if (root.empty()) return files;
  for (const char* folder : {"abc", "iscas", "lgsynth", "mcnc", "yosys"}) {
    if (DIR* d = opendir((root + "/" + folder).c_str())) {
      while (dirent* e = readdir(d)) {
        const std::string f = e->d_name;
        if (f.size() > 5 && f.compare(f.size() - 5, 5, ".blif") == 0)
          files.push_back(std::string(folder) + "/" + f);
      }
      closedir(d);
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

const char kYosysInits[] =
    "66584: warning: 562 latch initial values are unknown and read as 0: 418 latches of value 2, "
    "3 or none, 144 Yosys flip-flops without init";

// The warnings each file gives, after its name and a colon; none for the
// files not listed.
const std::map<std::string, std::vector<std::string>> kWarnings = {
    {"lgsynth/clma.blif",
     {"62: warning: 6 latch initial values are unknown and read as 0: 6 latches of value 2, 3 "
      "or none, 0 Yosys flip-flops without init"}},
    {"lgsynth/mm9a.blif",
     {"11: warning: 9 latch initial values are unknown and read as 0: 9 latches of value 2, 3 "
      "or none, 0 Yosys flip-flops without init"}},
    {"yosys/ys_cname_aes.blif", {kYosysInits}},
    {"yosys/ys_conn_aes.blif", {kYosysInits}},
    {"yosys/ys_gates_aes.blif", {kYosysInits}},
    {"yosys/ys_plain_aes.blif", {kYosysInits}},
    {"yosys/ys_impltf_aes.blif",
     {"66580: warning: 562 latch initial values are unknown and read as 0: 418 latches of value "
      "2, 3 or none, 144 Yosys flip-flops without init",
      "67142: warning: undriven Yosys constants read as their values: $undef = 0, $false = 0"}},
};

// Tables compared by what they mean: a table without rows is the OFF row
// of don't-cares its canonical text writes.
std::vector<std::string> rows_of(const tessaro::flat_table& t) {
  if (!t.rows.empty()) return t.rows;
  return {std::string(t.names.size() - 1, '-') + "0"};
}

class RawFile : public testing::TestWithParam<std::string> {};

TEST_P(RawFile, IsReadAndItsCanonicalTextReadsBack) {
  const std::string name = GetParam();
  const std::string path = raw_dir() + "/" + name;
  tessaro::flat_model m;
  std::vector<tessaro::diagnostic> w;
  tessaro::outcome o = tessaro::read_general_blif_file(path, m, w);
  ASSERT_TRUE(o.ok()) << tessaro::diagnostic_line(o.error());
  std::vector<std::string> got;
  for (const tessaro::diagnostic& d : w)
    got.push_back(tessaro::diagnostic_line(d).substr(path.size() + 1));
  auto expected = kWarnings.find(name);
  EXPECT_EQ(got, expected == kWarnings.end() ? std::vector<std::string>() : expected->second);
  EXPECT_FALSE(m.tables.empty());

  const tessaro::flat_model e = tessaro::encode_model(m);
  std::string text;
  ASSERT_TRUE(tessaro::write_canonical_text(e, text).ok());
  tessaro::flat_model back;
  std::vector<tessaro::diagnostic> w2;
  ASSERT_TRUE(tessaro::read_general_blif(text, "canonical", back, w2).ok());
  std::string decoded;
  ASSERT_TRUE(tessaro::decode_name(back.name, decoded));
  EXPECT_EQ(decoded, m.name);
  EXPECT_EQ(back.inputs, e.inputs);
  EXPECT_EQ(back.outputs, e.outputs);
  ASSERT_EQ(back.order.size(), e.order.size());
  for (std::size_t i = 0; i < e.order.size(); ++i) {
    ASSERT_EQ(back.order[i].latch, e.order[i].latch);
    if (e.order[i].latch) {
      const auto &a = back.latches[back.order[i].index], &b = e.latches[e.order[i].index];
      ASSERT_EQ(a.input + " " + a.output + " " + std::to_string(a.init),
                b.input + " " + b.output + " " + std::to_string(b.init));
    } else {
      const auto &a = back.tables[back.order[i].index], &b = e.tables[e.order[i].index];
      ASSERT_EQ(a.names, b.names);
      ASSERT_EQ(a.rows, rows_of(b));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(All, RawFile, testing::ValuesIn(raw_files()),
                         [](const testing::TestParamInfo<std::string>& info) {
                           std::string n = info.param;
                           for (char& c : n)
                             if (!isalnum(static_cast<unsigned char>(c))) c = '_';
                           return n;
                         });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(RawFile);

}  // namespace
