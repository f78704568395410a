// The text a driver prints for a diagnostic, and the activity fatal
// messages name.
#include <gtest/gtest.h>

#include <string>

#include "support/activity.h"
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

TEST(Activity, NamesWhatIsBeingBuiltUntilCleared) {
  EXPECT_EQ(tessaro::activity_text(), "");
  const std::string file = "a.blif";
  tessaro::set_activity("file", file);
  EXPECT_EQ(tessaro::activity_text(), "file a.blif");
  const std::string signal = "y";
  tessaro::set_activity("signal", signal);
  EXPECT_EQ(tessaro::activity_text(), "signal y");
  tessaro::clear_activity();
  EXPECT_EQ(tessaro::activity_text(), "");
}

}  // namespace
