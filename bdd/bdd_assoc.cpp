// Variable associations: maps from variables to functions used by
// substitution and by the satisfying cube over a support set. Numbered
// associations hold an external reference on each of their functions; the
// temporary association holds none, and each substitution through it takes a
// fresh private cache code.
#include <cstdint>

#include "bdd/bdd_int.h"

namespace {

bdd* new_values(int capacity) {
  std::size_t bytes = static_cast<std::size_t>(capacity + 1) * sizeof(bdd);
  void* a = mem_get_block(bytes);
  mem_zero(a, bytes);
  return static_cast<bdd*>(a);
}

// Fills a from (variable, function) pairs ending with a null variable; the
// previous entries are cleared. Non-variables are refused with a warning.
void fill(bdd_manager m, bdd_assoc_* a, const bdd* pairs, bool hold, const char* warning) {
  mem_zero(a->values, static_cast<std::size_t>(m->var_capacity + 1) * sizeof(bdd));
  a->last_index = -1;
  for (; pairs[0] != 0; pairs += 2) {
    bdd var = pairs[0];
    bdd value = pairs[1];
    if (bdd_type(m, var) != BDD_TYPE_POSVAR) {
      bdd_warning(warning);
      continue;
    }
    int id = bdd_node(var)->id;
    if (hold && value != 0) bdd_ext_inc_node(bdd_node(value));
    if (hold && a->values[id] != 0) bdd_free(m, a->values[id]);
    a->values[id] = value;
    int index = static_cast<int>(bdd_index_of(m, var));
    if (value != 0 && index > a->last_index) a->last_index = index;
  }
}

void release_values(bdd_manager m, bdd_assoc_* a) {
  for (int id = 1; id <= m->var_count; ++id) {
    if (a->values[id] != 0) bdd_free(m, a->values[id]);
  }
}

// Tag-1 entries that the tag's flush function selects for association number arg.
int flush_tag_two(bdd_manager m, int tag, cache_entry* e, void* arg) {
  if (tag != kCacheTagTwo) return 0;
  return m->cache_flush[kCacheTagTwo](m, e, arg);
}

bdd_assoc_* find_assoc(bdd_manager m, int number) {
  for (bdd_assoc_* a = m->assoc_list; a != nullptr; a = a->next) {
    if (a->number == number) return a;
  }
  return nullptr;
}

}  // namespace

void bdd_init_assocs(bdd_manager m) {
  m->temp_assoc.values = new_values(m->var_capacity);
  m->temp_assoc.next = nullptr;
  m->temp_assoc.number = -1;
  m->temp_assoc.last_index = -1;
  m->current_assoc = &m->temp_assoc;
  m->current_assoc_id = -1;
  m->assoc_list = nullptr;
}

void bdd_free_assocs(bdd_manager m) {
  mem_rec_mgr recs = bdd_rec_mgr(m, 24);
  while (m->assoc_list != nullptr) {
    bdd_assoc_* a = m->assoc_list;
    m->assoc_list = a->next;
    mem_free_block(a->values);
    mem_free_rec(recs, a);
  }
  mem_free_block(m->temp_assoc.values);
  m->temp_assoc.values = nullptr;
}

void bdd_resize_assocs(bdd_manager m, int old_capacity, int new_capacity) {
  auto grow = [old_capacity, new_capacity](bdd_assoc_* a) {
    std::size_t item = sizeof(bdd);
    a->values = static_cast<bdd*>(
        mem_resize_block(a->values, static_cast<std::size_t>(new_capacity + 1) * item));
    mem_zero(a->values + old_capacity + 1,
             static_cast<std::size_t>(new_capacity - old_capacity) * item);
  };
  for (bdd_assoc_* a = m->assoc_list; a != nullptr; a = a->next)
    grow(a);
  grow(&m->temp_assoc);
}

void bdd_shift_assocs(bdd_manager m, int index) {
  for (bdd_assoc_* a = m->assoc_list; a != nullptr; a = a->next) {
    if (a->last_index >= index) ++a->last_index;
  }
  if (m->temp_assoc.last_index >= index) ++m->temp_assoc.last_index;
}

int bdd_assoc_count(bdd_manager m) {
  int n = 0;
  for (bdd_assoc_* a = m->assoc_list; a != nullptr; a = a->next)
    ++n;
  return n;
}

int bdd_new_assoc(bdd_manager m, const bdd* pairs) {
  int number = 0;
  while (find_assoc(m, number) != nullptr)
    ++number;
  bdd_assoc_* a = static_cast<bdd_assoc_*>(mem_new_rec(bdd_rec_mgr(m, 24)));
  a->values = new_values(m->var_capacity);
  a->number = number;
  fill(m, a, pairs, true, "bdd_new_assoc: argument is not a positive variable");
  a->next = m->assoc_list;
  m->assoc_list = a;
  return number;
}

void bdd_free_assoc(bdd_manager m, int number) {
  bdd_assoc_** link = &m->assoc_list;
  while (*link != nullptr && (*link)->number != number)
    link = &(*link)->next;
  bdd_assoc_* a = *link;
  if (a == nullptr) return;
  *link = a->next;
  if (m->current_assoc == a) {
    m->current_assoc = &m->temp_assoc;
    m->current_assoc_id = -1;
  }
  // The number may be given out again: its cached results must go.
  bdd_flush_cache(m, flush_tag_two, reinterpret_cast<void*>(static_cast<std::intptr_t>(number)));
  release_values(m, a);
  mem_free_block(a->values);
  mem_free_rec(bdd_rec_mgr(m, 24), a);
}

int bdd_assoc(bdd_manager m, int number) {
  int old = m->current_assoc_id;
  bdd_assoc_* a = number < 0 ? nullptr : find_assoc(m, number);
  if (a == nullptr) {
    m->current_assoc = &m->temp_assoc;
    m->current_assoc_id = -1;
  } else {
    m->current_assoc = a;
    m->current_assoc_id = number;
  }
  return old;
}

void bdd_temp_assoc(bdd_manager m, const bdd* pairs) {
  fill(m, &m->temp_assoc, pairs, false, "bdd_temp_assoc: argument is not a positive variable");
}
