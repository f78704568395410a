// How the driver reports a refusal: the diagnostic's line on standard error.
#pragma once

#include "support/diagnostic.h"

// Writes the line of `d` and a line end on standard error; returns the
// exit status the run ends with.
int report_refusal(const tessaro::diagnostic& d);
