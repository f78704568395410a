// The text a driver prints for a diagnostic.
#include <gtest/gtest.h>

#include "support/diagnostic.h"

namespace {

TEST(Diagnostic, LineNamesFileAndLineWhenKnown) {
  EXPECT_EQ(tessaro::diagnostic_line(tessaro::refusal("a.blif", 12, "q", "signal q is x")),
            "a.blif:12: signal q is x");
  EXPECT_EQ(tessaro::diagnostic_line(tessaro::refusal("a.blif", 0, "q", "signal q is x")),
            "a.blif: signal q is x");
  EXPECT_EQ(tessaro::diagnostic_line(tessaro::refusal("", 3, "q", "signal q is x")),
            "signal q is x");
}

TEST(Diagnostic, FixedTextIsPrintedAsItStands) {
  tessaro::diagnostic d =
      tessaro::refusal("a.blif", 4, "y", "error in blif definition about y variable");
  d.fixed_text = true;
  EXPECT_EQ(tessaro::diagnostic_line(d), "error in blif definition about y variable");
}

TEST(Diagnostic, OutcomeCarriesTheRefusal) {
  tessaro::outcome fine;
  EXPECT_TRUE(fine.ok());
  tessaro::outcome refused = tessaro::refusal("b.blif", 0, "en", "refused");
  EXPECT_FALSE(refused.ok());
  EXPECT_EQ(refused.error().signal, "en");
  EXPECT_EQ(refused.error().status, 1);
}

}  // namespace
