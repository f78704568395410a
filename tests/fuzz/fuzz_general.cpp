// Fuzz target: the general BLIF reader on arbitrary bytes, then the name
// encoding, the canonical subset text of the model it read, and the subset
// parser on that text.
//
// Every model the general reader accepts has a canonical text that the
// subset parser reads without a syntax error; a refusal names its reason.
// The flattening of hierarchies runs with lower limits than the tool's, so
// that an input stays fast. The reader never exits; the assembly behind the
// parser may, and such exits are results (fuzz_exit.h).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "blif/canonical_text.h"
#include "blif/general_reader.h"
#include "blif/name_encoding.h"
#include "tests/fuzz/fuzz_exit.h"
#include "tests/fuzz/input_limits.h"
#include "tests/fuzz/subset_parse.h"

namespace {

tessaro_fuzz::subset_parse* current = nullptr;

tessaro::flatten_limits fuzz_limits() {
  tessaro::flatten_limits limits;
  limits.max_statements = 100000;
  limits.max_name_bytes = std::size_t{1} << 24;
  return limits;
}

void read_input(const std::uint8_t* data, std::size_t size) {
  tessaro::flat_model model;
  std::vector<tessaro::diagnostic> warnings;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  tessaro::outcome read =
      tessaro::read_general_blif(text, "fuzz.blif", model, warnings, fuzz_limits());
  for (const tessaro::diagnostic& w : warnings)
    if (tessaro::diagnostic_line(w).empty()) __builtin_trap();  // a warning without a text
  if (!read) {
    if (tessaro::diagnostic_line(read.error()).empty()) __builtin_trap();
    return;
  }
  tessaro::encode_names(model);
  std::string canonical;
  if (!tessaro::write_canonical_text(model, canonical)) __builtin_trap();  // names encoded
  // Wide tables are slow in the subset's assembly, not in the reader.
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(canonical.data());
  if (tessaro_fuzz::too_wide(bytes, canonical.size())) return;
  const int status = current->run(canonical);
  if (status == 1 || status == 2) __builtin_trap();  // the canonical text must parse
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto* session = new tessaro_fuzz::subset_parse;
  current = session;
  const int status = tessaro_fuzz::run_guarded(read_input, data, size);
  current = nullptr;
  if (status == 0) delete session;
  return 0;
}
