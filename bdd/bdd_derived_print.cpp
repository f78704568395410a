// Structured text dump of a function: nested if / else if / endif blocks,
// with nodes met more than once numbered and later printed as references.
#include <cstdint>
#include <cstdio>

#include "bdd/bdd_int.h"

namespace {

// Numbering of the shared nodes: a hash table from node offset to number.
struct SharedItem {
  std::uint32_t node;
  std::int32_t number;  // -1 until the node is first printed
  SharedItem* next;
};

struct SharedTable {
  SharedItem** heads;
  int size_index;
  std::int32_t entries;
};

constexpr int kSharedStartIndex = 10;  // 1019 buckets

std::uint32_t shared_bucket(const SharedTable& t, std::uint32_t node) {
  return bdd_mod(static_cast<std::int32_t>(node >> 3),
                 static_cast<std::uint32_t>(bdd_primes[t.size_index]),
                 bdd_prime_magic.v[t.size_index]);
}

SharedItem** new_heads(int size_index) {
  std::size_t bytes = static_cast<std::size_t>(bdd_primes[size_index]) * sizeof(SharedItem*);
  void* a = mem_get_block(bytes);
  mem_zero(a, bytes);
  return static_cast<SharedItem**>(a);
}

void shared_grow(SharedTable* t) {
  SharedItem** old = t->heads;
  std::int32_t old_count = bdd_primes[t->size_index];
  ++t->size_index;
  t->heads = new_heads(t->size_index);
  for (std::int32_t b = 0; b < old_count; ++b) {
    for (SharedItem* it = old[b]; it != nullptr;) {
      SharedItem* next = it->next;
      std::uint32_t nb = shared_bucket(*t, it->node);
      it->next = t->heads[nb];
      t->heads[nb] = it;
      it = next;
    }
  }
  mem_free_block(old);
}

SharedItem* shared_find(const SharedTable& t, std::uint32_t node) {
  for (SharedItem* it = t.heads[shared_bucket(t, node)]; it != nullptr; it = it->next) {
    if (it->node == node) return it;
  }
  return nullptr;
}

struct Dump {
  bdd_manager m;
  bdd_var_name_fn var_name;
  bdd_terminal_name_fn terminal_name;
  void* arg;
  std::FILE* out;
  SharedTable shared;
  mem_rec_mgr items;
  int next_number;

  void add_shared(std::uint32_t node) {
    if (shared.entries >= 4 * bdd_primes[shared.size_index] &&
        shared.size_index + 1 < kPrimeCount) {
      shared_grow(&shared);
    }
    SharedItem* it = static_cast<SharedItem*>(mem_new_rec(items));
    it->node = node;
    it->number = -1;
    std::uint32_t b = shared_bucket(shared, node);
    it->next = shared.heads[b];
    shared.heads[b] = it;
    ++shared.entries;
  }

  bool is_literal(const bdd_* n) const { return n->then_ == m->one && (n->else_ == m->zero); }

  // First walk: temps 1 on a node met once, 2 on a node met again (shared).
  void mark(bdd f) {
    bdd_* n = bdd_node(f);
    if (n->id == 0 || is_literal(n)) return;
    if (n->temps != 0) {
      if (n->temps == 1) {
        n->temps = 2;
        add_shared(f & ~7u);
      }
      return;
    }
    n->temps = 1;
    mark(n->then_);
    mark(n->else_);
  }

  void unmark(bdd f) {
    bdd_* n = bdd_node(f);
    if (n->id == 0 || n->temps == 0) return;
    n->temps = 0;
    unmark(n->then_);
    unmark(n->else_);
  }

  void indent(int level) {
    for (int i = 0; i < level; ++i)
      std::fputs("  ", out);
  }

  void put_var(int id) {
    const char* name = var_name != nullptr ? var_name(m, m->var_of_id[id], arg) : nullptr;
    if (name != nullptr) {
      std::fputs(name, out);
    } else {
      std::fprintf(out, "var.%d", m->index_of_id[id]);
    }
  }

  void put_terminal(bdd f) {
    const bdd_* n = bdd_node(f);
    long v1 = static_cast<std::int32_t>(n->then_);
    long v2 = static_cast<std::int32_t>(n->else_);
    const char* name = terminal_name != nullptr ? terminal_name(m, v1, v2, arg) : nullptr;
    if (bdd_is_complemented(f)) std::fputc('!', out);
    if (name != nullptr) {
      std::fputs(name, out);
    } else {
      std::fprintf(out, "terminal %ld %ld", v1, v2);
    }
  }

  void print(bdd f, int level) {
    indent(level);
    const bdd_* n = bdd_node(f);
    switch (bdd_type(m, f)) {
      case BDD_TYPE_ONE:
        std::fputs("1\n", out);
        return;
      case BDD_TYPE_ZERO:
        std::fputs("0\n", out);
        return;
      case BDD_TYPE_CONSTANT:
        put_terminal(f);
        std::fputc('\n', out);
        return;
      case BDD_TYPE_POSVAR:
        put_var(n->id);
        std::fputc('\n', out);
        return;
      case BDD_TYPE_NEGVAR:
        std::fputc('!', out);
        put_var(n->id);
        std::fputc('\n', out);
        return;
      case BDD_TYPE_NONTERMINAL:
        break;
      default:
        bdd_fatal("bdd_print_bdd_step: unknown type returned by bdd_type");
    }
    SharedItem* it = shared_find(shared, f & ~7u);
    if (it != nullptr) {
      if (bdd_is_complemented(f)) std::fputc('!', out);
      if (it->number >= 0) {
        std::fprintf(out, "subformula %d\n", it->number);
        return;
      }
      it->number = next_number++;
      std::fprintf(out, "%d: ", it->number);
      f &= ~1u;  // the numbered body is the node's own function
    }
    std::fputs("if ", out);
    put_var(n->id);
    std::fputc('\n', out);
    print(bdd_then_of(f), level + 1);
    indent(level);
    std::fputs("else if !", out);
    put_var(n->id);
    std::fputc('\n', out);
    print(bdd_else_of(f), level + 1);
    indent(level);
    std::fputs("endif ", out);
    put_var(n->id);
    std::fputc('\n', out);
  }
};

}  // namespace

void bdd_print_bdd(bdd_manager m, bdd f, bdd_var_name_fn var_name,
                   bdd_terminal_name_fn terminal_name, void* arg, std::FILE* out) {
  if (f == 0) {
    std::fputs("overflow\n", out);
    return;
  }
  bdd_check_arg(f);
  Dump d{m,
         var_name,
         terminal_name,
         arg,
         out,
         {new_heads(kSharedStartIndex), kSharedStartIndex, 0},
         bdd_rec_mgr(m, 16),
         0};
  d.mark(f);
  d.unmark(f);
  d.print(f, 0);
  for (std::int32_t b = 0; b < bdd_primes[d.shared.size_index]; ++b) {
    for (SharedItem* it = d.shared.heads[b]; it != nullptr;) {
      SharedItem* next = it->next;
      mem_free_rec(d.items, it);
      it = next;
    }
  }
  mem_free_block(d.shared.heads);
}
