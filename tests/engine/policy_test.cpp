// SPDX-License-Identifier: MIT
// The failure policy: the copy of it that every session keeps.
#include <algorithm>
#include <string>
#include <vector>

#include "engine_test.h"

namespace {

class PolicyTest : public EngineTest {
  protected:
    // The "SetOnFailed" trace lines of a script run with a log file and debug on.
    std::vector<std::string> SessionPolicies(const std::string& script) {
        AcceptLogin();
        Run("logfile '" + PathOf("run.log") + "'\ndebug on\n" + script + "debug off\nlogfile\n");
        std::vector<std::string> lines;
        for (const std::string& line : LinesOf("run.log")) {
            const std::size_t at = line.find("Trace-->SetOnFailed: ");
            if (at != std::string::npos) lines.push_back(line.substr(at + 21));
        }
        return lines;
    }
};

TEST_F(PolicyTest, EverySessionGetsThePolicyInForce) {
    // #0 exists from the first line on; #2 is created after the retry policy, and so gets it
    // when it is made; the next on failed reaches both, in creation order.
    const auto policies = SessionPolicies(
        "on failed retry 3 sleep 10\n#2 login host\non failed restart forever\n"
        "on failed retry 2 sleep\non failed off\non failed sometimes\n");
    EXPECT_EQ(policies, (std::vector<std::string>{
                            "Retry = 3, Sleep = 10",                           // #0
                            "Retry = 3, Sleep = 10",                           // #2 is made
                            "Retry = 0, Sleep = 0", "Retry = 0, Sleep = 0",    // forever
                            "Retry = 2, Sleep = 0", "Retry = 2, Sleep = 0",    // no number
                            "Retry = -1, Sleep = 0", "Retry = -1, Sleep = 0",  // off
                            "Retry = -1, Sleep = 0", "Retry = -1, Sleep = 0",  // bad word
                        }));
}

}  // namespace
