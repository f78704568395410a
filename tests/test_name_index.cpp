// The name index against a reference map over random insertions, renamings
// and removals, with runs long enough to wrap around the table and to be
// shifted back by removals.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "bddpp/name_index.h"
#include "support/name_set.h"

namespace {

TEST(NameIndex, AgreesWithAReferenceMap) {
  std::vector<std::string> names;
  name_index index(&names);
  std::unordered_map<std::string, long> reference;
  std::mt19937 rng(5);
  auto random_name = [&] { return "n" + std::to_string(rng() % 3000); };

  for (int step = 0; step < 60000; ++step) {
    const int op = static_cast<int>(rng() % 4);
    if (op <= 1) {  // a new id under a name not yet taken
      const std::string name = random_name();
      if (reference.count(name)) continue;
      names.push_back(name);
      const long id = static_cast<long>(names.size()) - 1;
      index.insert(id);
      reference[name] = id;
    } else if (op == 2 && !reference.empty()) {  // renaming: out, new name, in
      const long id = static_cast<long>(rng() % names.size());
      if (reference.count(names[id]) == 0 || reference[names[id]] != id) continue;
      const std::string fresh = random_name();
      if (reference.count(fresh)) continue;
      index.erase(names[id]);
      reference.erase(names[id]);
      names[id] = fresh;
      index.insert(id);
      reference[fresh] = id;
    } else {  // removal, of a name present or not
      const std::string name = random_name();
      index.erase(name);
      reference.erase(name);
    }
    if (step % 97 == 0) {
      for (int probe = 0; probe < 50; ++probe) {
        const std::string name = random_name();
        auto it = reference.find(name);
        ASSERT_EQ(index.find(name), it == reference.end() ? -1 : it->second)
            << "step " << step << ", " << name;
      }
      ASSERT_EQ(index.size(), reference.size());
    }
  }
  for (const auto& [name, id] : reference)
    EXPECT_EQ(index.find(name), id) << name;
}

TEST(NameIndex, EmptyAndReplacedEntries) {
  std::vector<std::string> names{"a", "b", "a"};
  name_index index(&names);
  EXPECT_EQ(index.find("a"), -1);
  index.erase("a");
  index.insert(0);
  index.insert(1);
  EXPECT_EQ(index.find("a"), 0);
  // A second id under the same name replaces the first, as a map would.
  index.insert(2);
  EXPECT_EQ(index.find("a"), 2);
  EXPECT_EQ(index.size(), 2u);
  index.erase("a");
  EXPECT_EQ(index.find("a"), -1);
  EXPECT_EQ(index.find("b"), 1);
  EXPECT_EQ(index.find(""), -1);
}

// Runs that wrap around the end of the table: names whose hashes fall on
// the last slots and on the first ones of the smallest table, entered in
// several orders, each removed in turn.
TEST(NameIndex, RunsWrappingAroundTheEnd) {
  // The home slot in the smallest table: the low bits of the index's own
  // folded hash.
  auto home = [](const std::string& name) {
    const std::uint64_t h = tessaro::name_hash(name);
    return static_cast<std::size_t>((h ^ (h >> 32)) % 64);
  };
  const std::vector<std::size_t> homes{61, 62, 63, 0, 1};
  std::vector<std::string> pool;
  for (std::size_t h : homes) {
    int found = 0;
    for (int i = 0; found < 2; ++i) {
      const std::string name = "w" + std::to_string(h) + "_" + std::to_string(i);
      if (home(name) == h) {
        pool.push_back(name);
        ++found;
      }
    }
  }
  std::mt19937 rng(11);
  for (int order = 0; order < 20; ++order) {
    std::vector<std::string> names(pool);
    if (order > 0) std::shuffle(names.begin(), names.end(), rng);
    for (std::size_t removed = 0; removed < names.size(); ++removed) {
      name_index index(&names);
      for (long id = 0; id < static_cast<long>(names.size()); ++id)
        index.insert(id);
      index.erase(names[removed]);
      for (std::size_t id = 0; id < names.size(); ++id)
        ASSERT_EQ(index.find(names[id]), id == removed ? -1 : static_cast<long>(id))
            << "order " << order << ", removed " << names[removed] << ", looking for " << names[id];
    }
  }
}

}  // namespace

namespace {

// Entering names through find_place and insert_at, as the manager does, and
// through insert, mixed with removals: the same answers as a map, for
// numbered names, long names and names that differ in one byte, across the
// growths of the table.
TEST(NameIndex, PlacesFoundThenFilledAgreeWithAReferenceMap) {
  std::mt19937 rng(17);
  std::vector<std::string> pool;
  const std::string long_base(70, 'x');
  for (int i = 0; i < 700; ++i) {
    pool.push_back("g" + std::to_string(i));
    std::string one_byte = long_base;
    one_byte[static_cast<std::size_t>(i) % long_base.size()] = static_cast<char>('A' + i / 70);
    pool.push_back(one_byte);
  }
  std::vector<std::string> names;
  name_index index(&names);
  std::unordered_map<std::string, long> reference;
  for (int step = 0; step < 20000; ++step) {
    // Room made ahead, smaller and larger than the table, changes no answer.
    if (step == 3000 || step == 9000) index.reserve(step == 3000 ? 10 : 5000);
    const std::string& name = pool[rng() % pool.size()];
    const int op = static_cast<int>(rng() % 5);
    if (op <= 2) {
      const name_index::place place = index.find_place(name);
      const auto known = reference.find(name);
      ASSERT_EQ(place.id, known == reference.end() ? -1 : known->second) << name;
      if (place.id >= 0) continue;
      names.push_back(name);
      const long id = static_cast<long>(names.size()) - 1;
      if (op == 0) {
        index.insert(id);
      } else {
        index.insert_at(place, id);
      }
      reference[name] = id;
    } else if (op == 3) {
      index.erase(name);
      reference.erase(name);
    } else {
      const auto known = reference.find(name);
      ASSERT_EQ(index.find(name), known == reference.end() ? -1 : known->second) << name;
    }
    ASSERT_EQ(index.size(), reference.size());
  }
  for (const auto& [name, id] : reference)
    EXPECT_EQ(index.find(name), id) << name;
}

}  // namespace
