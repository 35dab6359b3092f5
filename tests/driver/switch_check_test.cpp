#include <gtest/gtest.h>

#include <string>

#include "driver/switch_check.h"
#include "driver/switches.h"
#include "support/arguments.h"
#include "support/captured_run.h"

namespace vornup {
namespace {

struct CombinationCase {
  std::initializer_list<std::string> switches;
  bool accepted;
  const char* message;
};

constexpr char kRewriteConflict[] =
    "\nInvalid options: /rewrite cannot be used with /update or /downgrade";
constexpr char kDowngradeConflict[] =
    "\nInvalid options: /downgrade cannot be used with /update or /rewrite";
constexpr char kAutoAlone[] = "\nInvalid options: /auto requires an additional operational switch";

TEST(ValidateSwitches, CombinationsAndTheirMessages) {
  const CombinationCase cases[] = {
      {{"/update"}, true, ""},
      {{"/p"}, true, ""},
      {{"/remote"}, true, ""},
      {{"/q"}, true, ""},
      {{"/auto", "/q"}, false, kAutoAlone},
      {{"/auto", "/p"}, false, kAutoAlone},
      {{"/auto"}, false, kAutoAlone},
      {{"/auto", "/ff"}, true, ""},
      {{"/auto", "/fb"}, true, ""},
      {{"/a", "/g"}, true, ""},
      {{"/update", "/downgrade"}, false, kDowngradeConflict},
      {{"/rewrite", "/update"}, false, kRewriteConflict},
      {{"/e", "/g"}, false, kRewriteConflict},
      {{"/e", "/g", "/u"}, false, kRewriteConflict},
      {{"/f", "/update"}, true, ""},
      {{"/ff", "/rewrite", "/downgrade", "/update"}, true, ""},
  };
  for (const CombinationCase& c : cases) {
    CapturedRun captured;
    Arguments args(c.switches);
    SCOPED_TRACE(*c.switches.begin());
    ASSERT_EQ(parseSwitches(captured.run, args.argc(), args.argv()), SwitchOutcome::accepted);
    EXPECT_EQ(validateSwitches(captured.run), c.accepted);
    EXPECT_EQ(captured.console(), c.message);
  }
}

TEST(ValidateSwitches, ForceClearsTheComparingOperations) {
  CapturedRun captured;
  Arguments args{"/fb", "/update", "/rewrite", "/downgrade"};
  ASSERT_EQ(parseSwitches(captured.run, args.argc(), args.argv()), SwitchOutcome::accepted);
  EXPECT_TRUE(validateSwitches(captured.run));
  const Switches& sw = captured.run.sw;
  EXPECT_EQ(sw.update + sw.rewrite + sw.downgrade, 0);
  EXPECT_EQ(sw.forceBootCode, 1);
  EXPECT_EQ(sw.forceFw, 0);
}

TEST(TraceSwitches, WritesEveryTracedFlagInOrder) {
  CapturedRun captured;
  Arguments args{"/a", "/g", "/f", "/p", "/q", "/remote", "/e", "/u", "/v", "/s", "/h"};
  ASSERT_EQ(parseSwitches(captured.run, args.argc(), args.argv()), SwitchOutcome::accepted);
  captured.trace();
  traceSwitches(captured.run);
  EXPECT_EQ(captured.trace(),
            "[Command line switches]\nauto      : 1\ndowngrade : 1\nforceFw   : 1\n"
            "forceBios : 1\npreview   : 1\nquery     : 1\nremote    : 1\nrewrite   : 1\n"
            "update    : 1\nverbose   : 1\n\n");
}

}  // namespace
}  // namespace vornup
