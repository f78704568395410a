// Checks of the files tessaro-merge writes: a file that cannot be created,
// or a write that was lost, is reported instead of passing unnoticed.
#pragma once

#include <ostream>
#include <string>

#include "support/diagnostic.h"

// After opening `s` (the `what` file `name`: "output", "trace", "log"):
// "cannot create <what> file <name>: <reason>" when it failed.
tessaro::outcome check_created(const std::ios& s, const std::string& what, const std::string& name);

// Flushes `out`, then "cannot write <what> file <name>: <reason>" when any
// write to it failed.
tessaro::outcome check_written(std::ostream& out, const std::string& what, const std::string& name);
