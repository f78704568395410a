// The end of a run whose cover passes a product limit. The caller writes
// its own fixed lines first; the last line names the signal whose cover was
// being written, when a writer has said which (support/activity.h).
#pragma once

// Writes "cover of signal <name>: more than <limit> <what>" when the
// current activity is a signal, then ends the program with status 1.
[[noreturn]] void bddpp_stop_at_limit(const char* what, long limit);
