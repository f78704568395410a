// The name set against std::unordered_map over random names of every length
// (the hash takes eight bytes at a time, then a tail), with names that share
// long prefixes and with a set sized too small so that it grows; and the
// block writer against a plain string of what was appended.
#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <unordered_map>
#include <vector>

#include "support/block_writer.h"
#include "support/name_set.h"

namespace {

TEST(NameSet, AgreesWithAReferenceMap) {
  std::mt19937 rng(11);
  for (const std::size_t expected : {std::size_t{0}, std::size_t{5}, std::size_t{4000}}) {
    // The strings stay in place: the set holds views of them.
    std::vector<std::string> pool;
    for (int i = 0; i < 3000; ++i) {
      const std::size_t length = rng() % 20;
      std::string name = i % 3 == 0 ? "inst0_signal_" : "";
      for (std::size_t c = 0; c < length; ++c)
        name += static_cast<char>('a' + rng() % 3);
      pool.push_back(name);
    }
    tessaro::name_set set(expected);
    std::unordered_map<std::string, int> reference;
    for (int step = 0; step < 20000; ++step) {
      const std::string& name = pool[rng() % pool.size()];
      const int* first = set.insert_or_find(name, step);
      auto [it, fresh] = reference.emplace(name, step);
      ASSERT_EQ(first == nullptr, fresh) << name;
      if (!fresh) {
        ASSERT_EQ(*first, it->second) << name;
      }
      const std::string& probe = pool[rng() % pool.size()];
      ASSERT_EQ(set.contains(probe), reference.count(probe) == 1) << probe;
    }
    EXPECT_EQ(set.size(), reference.size());
  }
}

TEST(NameSet, EmptyNameAndNamesThatDifferInTheirLastByte) {
  const std::vector<std::string> names = {"", "abcdefgh", "abcdefgi", "abcdefghX", "abcdefghY"};
  tessaro::name_set set;
  EXPECT_FALSE(set.contains(names[0]));
  for (const std::string& name : names)
    EXPECT_TRUE(set.insert(name)) << name;
  for (const std::string& name : names)
    EXPECT_FALSE(set.insert(name)) << name;
  EXPECT_EQ(set.size(), names.size());
}

// Every byte of a name reaches its hash: the names of each length up to 24
// that differ from one base name in one byte (any position, several values,
// the prefixes of each other among them) have pairwise different hashes.
TEST(NameSet, HashSeesEveryByteOfEveryLength) {
  std::mt19937 rng(5);
  std::unordered_map<std::uint64_t, std::string> seen;
  std::string base;
  for (int i = 0; i < 24; ++i)
    base += static_cast<char>('a' + rng() % 26);
  for (std::size_t length = 0; length <= base.size(); ++length) {
    const std::string name = base.substr(0, length);
    std::vector<std::string> variants = {name};
    for (std::size_t at = 0; at < length; ++at)
      for (const char c : {'\0', '0', 'Z', '\xff'}) {
        std::string changed = name;
        if (changed[at] == c) continue;
        changed[at] = c;
        variants.push_back(changed);
      }
    for (const std::string& v : variants) {
      auto [it, fresh] = seen.emplace(tessaro::name_hash(v), v);
      EXPECT_TRUE(fresh || it->second == v) << "\"" << v << "\" and \"" << it->second << "\"";
    }
  }
  EXPECT_GT(seen.size(), 24u * 3);
}

// The tables take their slot from the low bits of the hash (the name index
// from its two halves folded): numbered names, the usual names of a netlist,
// must spread over them about as random keys would (1 - 1/e of the slots
// taken), whichever byte the numbers change in.
TEST(NameSet, NumberedNamesSpreadOverTheLowBits) {
  constexpr std::uint64_t kSlots = 1u << 16;
  for (const char* prefix : {"", "g", "n_", "top/u1/", "a_long_common_prefix_"}) {
    std::vector<bool> low(kSlots), folded(kSlots);
    std::size_t low_count = 0, folded_count = 0;
    for (std::uint64_t i = 0; i < kSlots; ++i) {
      const std::uint64_t h = tessaro::name_hash(prefix + std::to_string(i));
      const std::uint64_t f = (h ^ (h >> 32)) & (kSlots - 1);
      if (!low[h & (kSlots - 1)]) ++low_count;
      if (!folded[f]) ++folded_count;
      low[h & (kSlots - 1)] = true;
      folded[f] = true;
    }
    EXPECT_GT(low_count, kSlots * 6 / 10) << prefix;
    EXPECT_GT(folded_count, kSlots * 6 / 10) << prefix;
  }
}

TEST(BlockWriter, KeepsEveryByteInOrderAcrossBlocks) {
  std::mt19937 rng(3);
  std::ostringstream target;
  std::string reference;
  {
    tessaro::block_writer writer(64);
    writer.attach(&target);
    for (int i = 0; i < 2000; ++i) {
      // Texts shorter than a block, filling it exactly, and longer.
      const std::size_t length = rng() % 3 == 0 ? rng() % 200 : rng() % 10;
      std::string text(length, static_cast<char>('a' + i % 26));
      if (i % 7 == 0) {
        writer.append('\n');
        reference += '\n';
      }
      writer.append(text.data(), text.size());
      reference += text;
      if (i % 500 == 0) {
        writer.push();
        ASSERT_EQ(target.str(), reference);
      }
    }
    EXPECT_EQ(target.str().size() + writer.pending(), reference.size());
  }
  // The writer pushes what is left when it goes.
  EXPECT_EQ(target.str(), reference);
}

TEST(BlockWriter, FlushingAStreamOverItReachesTheTarget) {
  std::ostringstream target;
  tessaro::block_writer writer;
  std::ostream over(&writer);
  writer.attach(&target);
  writer.append("line\n", 5);
  over << "more\n";
  EXPECT_EQ(target.str(), "");
  over.flush();
  EXPECT_EQ(target.str(), "line\nmore\n");
  // Detached, it drops what it is given.
  writer.attach(nullptr);
  writer.append("lost", 4);
  writer.push();
  EXPECT_EQ(target.str(), "line\nmore\n");
}

TEST(BlockWriter, AFailingTargetIsMarkedBad) {
  std::ostream broken(nullptr);  // no buffer at all
  tessaro::block_writer writer(8);
  writer.attach(&broken);
  writer.append("0123456789", 10);
  EXPECT_FALSE(writer.push());
  EXPECT_TRUE(broken.bad());
}

}  // namespace
