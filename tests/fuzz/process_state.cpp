// The process-wide state of a run, as a new process starts with it.
#include "blif/blif_lexer.h"
#include "blif/blif_parser.h"
#include "support/activity.h"
#include "support/exit_flush.h"
#include "tests/fuzz/fuzz_exit.h"

namespace tessaro_fuzz {

void reset_process_state() {
  lex_blif_newline_mode = 0;
  pblif_parser = nullptr;
  tessaro::clear_activity();
  tessaro::detail::exit_flush_streams().clear();
}

}  // namespace tessaro_fuzz
