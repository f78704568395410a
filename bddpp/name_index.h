// Index from variable names to manager ids, kept over the manager's own table
// of names by id. An open-addressing table of (hash, id) slots probed
// linearly: a lookup touches one short run of adjacent slots and compares a
// name only when its hash matches, and no name is stored twice.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class name_index {
 public:
  // `names` is the table of names by id; it must outlive the index.
  explicit name_index(const std::vector<std::string>* names) : names_(names) {}

  // The id of `name`, or -1 when no id has it.
  long find(const std::string& name) const;
  // Enters id under (*names)[id], which no other entry may have.
  void insert(long id);
  // Where a name is, or would go: the id that has it (-1: none) and its slot.
  struct place {
    long id;
    std::size_t slot;
    std::uint32_t hash;
  };
  // The place of `name`, with room made first for one more entry, so that
  // a name found absent can be entered there with one hash and one probe.
  place find_place(const std::string& name);
  // Enters `id` at `p`, found absent for (*names)[id], the index unchanged
  // since.
  void insert_at(const place& p, long id);
  // Removes the entry of `name` when there is one.
  void erase(const std::string& name);
  std::size_t size() const { return count_; }
  // Room for `count` entries in all without growing.
  void reserve(std::size_t count);

 private:
  // Eight bytes: ids stay far below 2^31, and 32 bits of hash are enough to
  // compare names only when they are likely equal.
  struct slot {
    std::uint32_t hash;
    std::int32_t id;  // -1: empty
  };
  static std::uint32_t hash_of(const std::string& name);
  // Index of the slot holding `name`, or of the empty slot ending its run.
  std::size_t locate(const std::string& name, std::uint32_t hash) const;
  void grow();
  // Moves the entries into a table of `size` slots, a power of two.
  void rehash(std::size_t size);

  const std::vector<std::string>* names_;
  std::vector<slot> slots_;
  std::size_t count_ = 0;
};
