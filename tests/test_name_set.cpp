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
