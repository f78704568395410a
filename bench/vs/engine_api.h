// The workloads run side by side on two BDD engines, and the entry points
// each engine's adapter provides. Nothing here depends on an engine's header,
// so the adapters can live in translation units that never see each other's.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "blif_circuit.h"

namespace benchvs {

struct Workload {
  enum Kind { kQueens, kMultiplier, kCircuit };
  Kind kind = kQueens;
  int size = 0;                      // board side or operand bits
  const Circuit* circuit = nullptr;  // kCircuit only
  std::string name;
};

// Number of variables, in the order both engines create them.
inline int workload_vars(const Workload& w) {
  switch (w.kind) {
    case Workload::kQueens:
      return w.size * w.size;
    case Workload::kMultiplier:
      return 2 * w.size;
    case Workload::kCircuit:
      return static_cast<int>(w.circuit->inputs.size());
  }
  return 0;
}

// Engine-independent facts about a finished build, equal for two correct
// engines given the same variable order.
struct Summary {
  // Queens: solutions. Otherwise: sum over the outputs of their fraction of
  // satisfying assignments.
  double count = 0;
  // Distinct non-constant subfunctions reachable from the outputs (the node
  // count of a diagram without complement edges).
  long nodes = 0;
  // Hash of the output values on fixed pseudo-random input vectors.
  std::uint64_t signature = 0;
};

// One engine's entry points. build starts a fresh engine and returns its
// outputs held in an opaque session; finish frees them and ends the engine.
struct EngineApi {
  const char* name;
  void* (*build)(const Workload& w);
  Summary (*summarize)(void* session);
  // Output values for one input vector indexed by variable.
  std::vector<bool> (*evaluate)(void* session, const std::vector<bool>& inputs);
  void (*finish)(void* session);
};

const EngineApi& our_engine();
// Only in builds that have BuDDy.
const EngineApi& buddy_engine();

}  // namespace benchvs
