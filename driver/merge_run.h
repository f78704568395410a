// The run of tessaro-merge: both inputs read as general BLIF, merged as
// tessaro merges them, and written with the names the files write.
#pragma once

#include "driver/merge_options.h"

// Runs the whole command for its arguments; returns the exit status.
int tessaro_merge_main(int argc, char** argv);

// The merge the options ask for; returns the exit status.
int run_merge(const merge_options& options);
