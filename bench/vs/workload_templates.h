// The workloads written once over an engine adapter, so both engines run the
// same sequence of operations on the same variable order.
//
// An adapter E provides, with H its handle type:
//   void start(int vars); void stop();          fresh engine with vars variables / end it
//   H one(); H zero(); H var(int index);         permanent handles, never freed
//   H copy(H); void free(H);                     one more owned reference / give one back
//   H and_(H, H); H or_(H, H); H xor_(H, H);     owned results
//   H diff(H a, H b);                            a and not b, owned
//   H not_(H);                                   owned
//   int index(H);                                top variable's index, -1 for a constant
//   bool is_one(H);
//   H high(H); H low(H);                         owned cofactors of a non-constant
//   double fraction(H);                          share of satisfying assignments
#pragma once

#include <cmath>
#include <cstdint>
#include <unordered_set>
#include <vector>

#include "engine_api.h"

namespace benchvs {

template <class E>
class Workloads {
 public:
  using H = typename E::H;

  explicit Workloads(E* e) : e_(*e) {}

  std::vector<H> build(const Workload& w) {
    switch (w.kind) {
      case Workload::kQueens:
        return {queens(w.size)};
      case Workload::kMultiplier:
        return multiplier(w.size);
      case Workload::kCircuit:
        return circuit(*w.circuit);
    }
    return {};
  }

  Summary summarize(const Workload& w, const std::vector<H>& outs) {
    Summary s;
    for (H f : outs)
      s.count += e_.fraction(f);
    if (w.kind == Workload::kQueens) s.count = std::ldexp(s.count, w.size * w.size);
    s.nodes = subfunctions(outs);
    const int vars = workload_vars(w);
    std::uint64_t seed = 0x1234567u;
    std::uint64_t hash = 14695981039346656037ull;
    for (int round = 0; round < 64; ++round) {
      std::vector<bool> in(vars);
      for (int i = 0; i < vars; ++i)
        in[i] = (next_random(&seed) >> 17) & 1u;
      for (bool v : evaluate(outs, in))
        hash = (hash ^ (v ? 0x9Fu : 0x3Cu)) * 1099511628211ull;
    }
    s.signature = hash;
    return s;
  }

  std::vector<bool> evaluate(const std::vector<H>& outs, const std::vector<bool>& in) {
    std::vector<bool> values;
    for (H f : outs) {
      H h = e_.copy(f);
      for (int i; (i = e_.index(h)) >= 0;) {
        H next = in[i] ? e_.high(h) : e_.low(h);
        e_.free(h);
        h = next;
      }
      values.push_back(e_.is_one(h));
      e_.free(h);
    }
    return values;
  }

 private:
  static std::uint64_t next_random(std::uint64_t* state) {
    std::uint64_t z = (*state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }

  // acc := r, giving back the reference acc held.
  void replace(H* acc, H r) {
    e_.free(*acc);
    *acc = r;
  }

  // Every row holds a queen; a queen on a square excludes every other square
  // of its row, column and both diagonals.
  H queens(int n) {
    std::vector<H> x, nx;
    for (int i = 0; i < n * n; ++i) {
      x.push_back(e_.var(i));
      nx.push_back(e_.not_(x.back()));
    }
    auto at = [&](int i, int j) { return x[i * n + j]; };
    auto not_at = [&](int i, int j) { return nx[i * n + j]; };
    H board = e_.copy(e_.one());
    for (int i = 0; i < n; ++i) {
      H row = e_.copy(e_.zero());
      for (int j = 0; j < n; ++j)
        replace(&row, e_.or_(row, at(i, j)));
      replace(&board, e_.and_(board, row));
      e_.free(row);
    }
    for (int i = 0; i < n; ++i) {
      for (int j = 0; j < n; ++j) {
        H free_lines = e_.copy(e_.one());
        for (int k = 0; k < n; ++k) {
          int d = k - i;
          if (k != j) replace(&free_lines, e_.and_(free_lines, not_at(i, k)));
          if (k != i) replace(&free_lines, e_.and_(free_lines, not_at(k, j)));
          if (d != 0 && j + d >= 0 && j + d < n)
            replace(&free_lines, e_.and_(free_lines, not_at(k, j + d)));
          if (d != 0 && j - d >= 0 && j - d < n)
            replace(&free_lines, e_.and_(free_lines, not_at(k, j - d)));
        }
        H square = e_.or_(not_at(i, j), free_lines);
        e_.free(free_lines);
        replace(&board, e_.and_(board, square));
        e_.free(square);
      }
    }
    for (H f : nx)
      e_.free(f);
    return board;
  }

  // Sum and carry of a + b + c; the caller keeps its operands.
  void full_add(H a, H b, H c, H* sum, H* carry) {
    H half = e_.xor_(a, b);
    *sum = e_.xor_(half, c);
    H both = e_.and_(a, b);
    H prop = e_.and_(half, c);
    *carry = e_.or_(both, prop);
    e_.free(half);
    e_.free(both);
    e_.free(prop);
  }

  // Outputs of a*b, low bit first, for n-bit operands with interleaved
  // variables a0 b0 a1 b1 ...: partial products summed row by row with
  // ripple adders.
  std::vector<H> multiplier(int n) {
    std::vector<H> a, b, out, acc;
    for (int i = 0; i < n; ++i) {
      a.push_back(e_.var(2 * i));
      b.push_back(e_.var(2 * i + 1));
    }
    for (int j = 0; j < n; ++j)
      acc.push_back(e_.and_(a[j], b[0]));
    for (int i = 1; i < n; ++i) {
      out.push_back(acc[0]);
      std::vector<H> next;
      H carry = e_.copy(e_.zero());
      for (int j = 0; j < n; ++j) {
        H pp = e_.and_(a[j], b[i]);
        H high = j + 1 < static_cast<int>(acc.size()) ? acc[j + 1] : e_.copy(e_.zero());
        H sum, carry_out;
        full_add(high, pp, carry, &sum, &carry_out);
        e_.free(pp);
        e_.free(high);
        e_.free(carry);
        next.push_back(sum);
        carry = carry_out;
      }
      next.push_back(carry);
      acc = next;
    }
    out.insert(out.end(), acc.begin(), acc.end());
    return out;
  }

  // The gate's function from its cover: a sum of cubes, complemented for an
  // off-set table.
  H cover(const Signal& g, const std::vector<H>& value) {
    H f = e_.copy(e_.zero());
    for (const std::string& cube : g.cubes) {
      H c = e_.copy(e_.one());
      for (std::size_t j = 0; j < cube.size(); ++j) {
        if (cube[j] == '1') replace(&c, e_.and_(c, value[g.fanins[j]]));
        if (cube[j] == '0') replace(&c, e_.diff(c, value[g.fanins[j]]));
      }
      replace(&f, e_.or_(f, c));
      e_.free(c);
    }
    if (!g.onset) replace(&f, e_.not_(f));
    return f;
  }

  // Gates in schedule order; a gate's function is given back after its last
  // use unless it is an output.
  std::vector<H> circuit(const Circuit& c) {
    std::vector<H> value(c.signals.size());
    std::vector<int> uses = c.fanouts;
    std::vector<bool> is_output(c.signals.size(), false);
    for (int o : c.outputs)
      is_output[o] = true;
    for (int id : c.inputs)
      value[id] = e_.var(c.var_of[id]);
    for (int g : c.schedule) {
      const Signal& s = c.signals[g];
      value[g] = cover(s, value);
      for (int f : s.fanins)
        if (--uses[f] == 0 && !c.signals[f].is_input && !is_output[f]) e_.free(value[f]);
    }
    std::vector<H> outs;
    for (int o : c.outputs)
      outs.push_back(e_.copy(value[o]));
    for (int g : c.schedule)
      if (is_output[g]) e_.free(value[g]);
    return outs;
  }

  // Distinct non-constant handles reachable from the roots.
  long subfunctions(const std::vector<H>& roots) {
    std::unordered_set<H> seen;
    std::vector<H> stack;
    for (H f : roots)
      stack.push_back(e_.copy(f));
    while (!stack.empty()) {
      H f = stack.back();
      stack.pop_back();
      if (e_.index(f) >= 0 && seen.insert(f).second) {
        stack.push_back(e_.high(f));
        stack.push_back(e_.low(f));
      }
      e_.free(f);
    }
    return static_cast<long>(seen.size());
  }

  E& e_;
};

// The entry points of an engine adapter E (a default-constructible class).
template <class E>
EngineApi make_engine_api(const char* name) {
  struct Session {
    E engine;
    Workload workload;
    std::vector<typename E::H> outs;
  };
  EngineApi api;
  api.name = name;
  api.build = [](const Workload& w) -> void* {
    Session* s = new Session{E(), w, {}};
    s->engine.start(workload_vars(w));
    s->outs = Workloads<E>(&s->engine).build(w);
    return s;
  };
  api.summarize = [](void* p) {
    Session* s = static_cast<Session*>(p);
    return Workloads<E>(&s->engine).summarize(s->workload, s->outs);
  };
  api.evaluate = [](void* p, const std::vector<bool>& in) {
    Session* s = static_cast<Session*>(p);
    return Workloads<E>(&s->engine).evaluate(s->outs, in);
  };
  api.finish = [](void* p) {
    Session* s = static_cast<Session*>(p);
    for (auto f : s->outs)
      s->engine.free(f);
    s->engine.stop();
    delete s;
  };
  return api;
}

}  // namespace benchvs
