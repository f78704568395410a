// The name encoding: exact small cases, and its properties on random and
// exhaustive sets of byte strings: every name round-trips, no two names
// meet, identifiers without "__" stay as they are, and decoding accepts
// exactly the encodings.
#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "blif/name_encoding.h"

namespace {

using tessaro::decode_name;
using tessaro::encode_name;

std::string decoded(const std::string& e) {
  std::string out;
  EXPECT_TRUE(decode_name(e, out)) << e;
  return out;
}

TEST(NameEncoding, ExactCases) {
  EXPECT_EQ(encode_name("G17"), "G17");
  EXPECT_EQ(encode_name("_t12"), "_t12");
  EXPECT_EQ(encode_name("new_n15_"), "new_n15_");
  EXPECT_EQ(encode_name("v6.3"), "__v6_2e3");
  EXPECT_EQ(encode_name("a[0]"), "__a_5b0_5d");
  EXPECT_EQ(encode_name("$abc$12"), "___24abc_2412");
  EXPECT_EQ(encode_name("1GAT(0)"), "__1GAT_280_29");
  EXPECT_EQ(encode_name("a__b"), "__a____b");
  EXPECT_EQ(encode_name("__"), "______");
  EXPECT_EQ(encode_name("0"), "__0");
  EXPECT_EQ(encode_name(""), "__");
  EXPECT_EQ(encode_name(std::string("\0\xff", 2)), "___00_ff");
  EXPECT_EQ(decoded("__v6_2e3"), "v6.3");
  EXPECT_EQ(decoded("__"), "");
  EXPECT_EQ(decoded("G17"), "G17");
}

TEST(NameEncoding, DecodingRefusesWhatNoNameEncodesTo) {
  std::string out;
  for (const char* bad : {"__abc",   // abc is kept as it is
                          "__a_41",  // a letter is never written in hexadecimal
                          "__a_5f",  // nor an underscore
                          "__a_2E",  // upper case digits
                          "__a_", "__a_2", "__a_zz", "a__b", "9a", "a.b", "", "x_y__"})
    EXPECT_FALSE(decode_name(bad, out)) << bad;
}

std::string random_name(std::mt19937& rng) {
  // Biased towards the bytes the encoding treats apart.
  static const char common[] = "_aZ09.[]$";
  std::string s;
  const int n = static_cast<int>(rng() % 12);
  for (int i = 0; i < n; ++i)
    s += rng() % 3 ? common[rng() % (sizeof common - 1)] : static_cast<char>(rng() & 255);
  return s;
}

TEST(NameEncoding, RandomByteStringsRoundTripAndNeverMeet) {
  std::mt19937 rng(14);
  std::unordered_map<std::string, std::string> by_encoding;
  for (int i = 0; i < 200000; ++i) {
    const std::string name = random_name(rng);
    const std::string e = encode_name(name);
    ASSERT_TRUE(tessaro::is_subset_identifier(e)) << e;
    std::string back;
    ASSERT_TRUE(decode_name(e, back)) << e;
    ASSERT_EQ(back, name);
    auto it = by_encoding.emplace(e, name);
    ASSERT_EQ(it.first->second, name) << "two names meet at " << e;
  }
}

TEST(NameEncoding, IdentifiersWithoutDoubleUnderscoreAreKept) {
  std::mt19937 rng(3);
  static const char alphabet[] = "_abXY019";
  int kept = 0, changed = 0;
  for (int i = 0; i < 100000; ++i) {
    std::string id(1, "_aX"[rng() % 3]);
    const int n = static_cast<int>(rng() % 8);
    for (int k = 0; k < n; ++k)
      id += alphabet[rng() % (sizeof alphabet - 1)];
    ASSERT_TRUE(tessaro::is_subset_identifier(id));
    const bool keeps = id.find("__") == std::string::npos;
    ASSERT_EQ(tessaro::encoding_keeps(id), keeps) << id;
    if (keeps) {
      ASSERT_EQ(encode_name(id), id);
      ++kept;
    } else {
      ASSERT_EQ(encode_name(id).compare(0, 2, "__"), 0) << id;
      ++changed;
    }
  }
  EXPECT_GT(kept, 1000);
  EXPECT_GT(changed, 1000);
}

// Every string over a small alphabet up to a length: the encoding is
// injective, and an identifier decodes exactly when it is an encoding.
TEST(NameEncoding, ExhaustiveOverASmallAlphabet) {
  const std::string bytes = "a0_.";
  std::vector<std::string> names{""};
  for (std::size_t begin = 0, len = 1; len <= 5; ++len) {
    const std::size_t end = names.size();
    for (std::size_t i = begin; i < end; ++i)
      for (char c : bytes)
        names.push_back(names[i] + c);
    begin = end;
  }
  std::set<std::string> encodings;
  for (const std::string& n : names) {
    const std::string e = encode_name(n);
    EXPECT_TRUE(encodings.insert(e).second) << n;
    EXPECT_EQ(decoded(e), n);
  }
  // Identifiers over letters, digits and underscores up to six bytes.
  const std::string id_bytes = "a0_";
  std::vector<std::string> ids{""};
  for (std::size_t begin = 0, len = 1; len <= 6; ++len) {
    const std::size_t end = ids.size();
    for (std::size_t i = begin; i < end; ++i)
      for (char c : id_bytes)
        ids.push_back(ids[i] + c);
    begin = end;
  }
  for (const std::string& t : ids) {
    std::string n;
    const bool decodes = decode_name(t, n);
    if (!tessaro::is_subset_identifier(t)) {
      EXPECT_FALSE(decodes) << t;
      continue;
    }
    if (decodes) {
      EXPECT_EQ(encode_name(n), t);
    }
    // An identifier is an encoding exactly when it decodes.
    const bool is_image =
        t.size() >= 2 && t.compare(0, 2, "__") == 0 ? decodes : t.find("__") == std::string::npos;
    EXPECT_EQ(decodes, is_image) << t;
  }
}

TEST(NameEncoding, DisplayNamesFollowThePrefix) {
  std::string out;
  ASSERT_TRUE(tessaro::display_name("inst0_", encode_name("v6.3"), out));
  EXPECT_EQ(out, "inst0_v6.3");
  ASSERT_TRUE(tessaro::display_name("", encode_name("a[0]"), out));
  EXPECT_EQ(out, "a[0]");
  EXPECT_FALSE(tessaro::display_name("inst1_", "__abc", out));
}

// Prefixed names of the composition: two composed names that meet always
// have display names that meet; display names can meet without composed
// names meeting only as documented, and find_display_clash tells them.
TEST(NameEncoding, ComposedNamesMeetOnlyWhereDisplayNamesDo) {
  const char* prefixes[] = {"", "inst0_", "inst1_"};
  std::mt19937 rng(15);
  std::vector<std::string> pool;
  for (int i = 0; i < 400; ++i)
    pool.push_back(random_name(rng));
  for (const char* extra : {"x", "_x", "inst0__x", "inst0_x", "__x", "inst0___x", "inst0_.x"})
    pool.push_back(extra);
  for (const std::string& a : pool) {
    for (const std::string& b : pool) {
      for (const char* p : prefixes) {
        for (const char* q : prefixes) {
          const std::string ca = p + encode_name(a), cb = q + encode_name(b);
          const std::string da = p + a, db = q + b;
          if (ca == cb) {
            ASSERT_EQ(da, db) << ca;
          }
          if (da == db && ca != cb) {
            // Only a prefix followed by a name starting with '_', against a
            // kept-looking name holding "__".
            const bool documented = (std::string(p).size() && a.size() && a[0] == '_') ||
                                    (std::string(q).size() && b.size() && b[0] == '_');
            ASSERT_TRUE(documented) << da;
            std::size_t i, j;
            ASSERT_TRUE(
                tessaro::find_display_clash({{p, encode_name(a)}, {q, encode_name(b)}}, i, j));
            EXPECT_EQ(i, 0u);
            EXPECT_EQ(j, 1u);
          }
        }
      }
    }
  }
  std::size_t i, j;
  EXPECT_TRUE(tessaro::find_display_clash(
      {{"", "a"}, {"inst0_", "_x"}, {"", encode_name("inst0__x")}}, i, j));
  EXPECT_EQ(i, 1u);
  EXPECT_EQ(j, 2u);
  EXPECT_FALSE(tessaro::find_display_clash(
      {{"", "a"}, {"inst0_", "a"}, {"inst1_", "a"}, {"", encode_name("a.b")}}, i, j));
}

TEST(NameEncoding, EncodesEveryNameOfAModel) {
  tessaro::flat_model m;
  m.name = "s27.bench";
  m.inputs = {"G0", "a[0]"};
  m.outputs = {"v.1"};
  m.add_latch({"d$1", "q:1", 1, 3});
  m.add_table({{"a[0]", "q:1", "v.1"}, {"111"}, 4});
  tessaro::flat_model e = tessaro::encode_model(m);
  EXPECT_EQ(e.name, "__s27_2ebench");
  EXPECT_EQ(e.inputs, (std::vector<std::string>{"G0", "__a_5b0_5d"}));
  EXPECT_EQ(e.outputs, (std::vector<std::string>{"__v_2e1"}));
  EXPECT_EQ(e.latches[0].input, "__d_241");
  EXPECT_EQ(e.latches[0].output, "__q_3a1");
  EXPECT_EQ(e.latches[0].init, 1);
  EXPECT_EQ(e.tables[0].names, (std::vector<std::string>{"__a_5b0_5d", "__q_3a1", "__v_2e1"}));
  EXPECT_EQ(e.tables[0].rows, m.tables[0].rows);
  EXPECT_EQ(e.order.size(), 2u);
}

}  // namespace
