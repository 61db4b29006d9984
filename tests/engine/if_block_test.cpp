// SPDX-License-Identifier: MIT
// if blocks that meet the end of the script, and their trace lines.
#include <algorithm>
#include <string>
#include <vector>

#include "engine_test.h"

namespace {

class IfBlockTest : public EngineTest {
  protected:
    struct Case {
        std::string script;
        int result;
        std::vector<std::string> echoed;  // after "echo on"
    };
    // Runs each script after "echo on": its result and the lines it echoed.
    void ExpectEchoed(const std::vector<Case>& cases) {
        for (const Case& c : cases) {
            const ScriptRun run = Run("echo on\n" + c.script);
            EXPECT_EQ(run.result, c.result) << c.script;
            std::vector<std::string> expected;
            for (const std::string& line : c.echoed)
                expected.push_back("client: C> " + line);
            EXPECT_EQ(run.output, expected) << c.script;
        }
    }
};

TEST_F(IfBlockTest, EndOfFileInsideABlock) {
    const std::vector<Case> cases = {
        // A then-part that runs into the end is a syntax error.
        {"if 1\necho on\n",
         -999,
         {"if 1", "--> Perform THEN", "echo on",
          "If ...: syntax error. Expecting \"EndIf\", found \"<end-of-file>\"."}},
        // So is an else without its endif after a true condition, without a message.
        {"if 1\nelse\nfrobnicate\n", -99, {"if 1", "--> Perform THEN", "else"}},
        // The end straight after a true if, in a skipped then-part or in an else-part: 0.
        {"if 1\n", 0, {"if 1", "--> Perform THEN"}},
        {"if 0\nfrobnicate\n", 0, {"if 0"}},
        {"if 0\nelse\n", 0, {"if 0", "--> Perform ELSE"}},
        {"if 0\nelse\necho on\n", 0, {"if 0", "--> Perform ELSE", "echo on"}},
        // Skipping reads only first words: a session prefix is never else or endif, and
        // comment lines are skipped as everywhere.
        {"if 0\n#2 endif\n// endif\n  endif // x\necho off\n",
         0,
         {"if 0", "--> ENDIF", "echo off"}},
    };
    ExpectEchoed(cases);
}

// Before any login every command fails with -99 ("Session not login yet"): a failure inside
// a part ends the block and stops the script unless ignore is on; skips pass over nested
// blocks whole, two and three levels deep, in skipped then-parts and skipped else-parts.
TEST_F(IfBlockTest, FailuresEndTheBlockAndSkipsCountNesting) {
    const std::string notLoggedIn = "Session not login yet, check your syntax.";
    const std::vector<Case> cases = {
        {"if 1\nfrobnicate\necho off\nendif\necho off\n",
         -99,
         {"if 1", "--> Perform THEN", "frobnicate", notLoggedIn}},
        {"if 0\nelse\nfrobnicate\necho off\nendif\necho off\n",
         -99,
         {"if 0", "--> Perform ELSE", "frobnicate", notLoggedIn}},
        // A failure in a nested block ends the outer one too.
        {"if 1\nif 0\nelse\nfrobnicate\nendif\necho off\nendif\n",
         -99,
         {"if 1", "--> Perform THEN", "if 0", "--> Perform ELSE", "frobnicate", notLoggedIn}},
        // With ignore on the block runs on and the if succeeds.
        {"ignore on\nif 1\nfrobnicate\nignore on\nendif\n",
         0,
         {"ignore on", "if 1", "--> Perform THEN", "frobnicate", notLoggedIn, "ignore on",
          "endif"}},
        // Skipped then-parts holding nested blocks, two and three levels deep.
        {"if 0\nif 1\nfrobnicate\nelse\nfrobnicate\nendif\nfrobnicate\nelse\nignore off\nendif\n",
         0,
         {"if 0", "--> Perform ELSE", "ignore off", "endif", "--> ENDIF"}},
        {"if 0\nif 1\nif 0\nelse\nendif\nelse\nendif\nfrobnicate\nendif\nignore off\n",
         0,
         {"if 0", "--> ENDIF", "ignore off"}},
        // Skipped else-parts holding nested blocks, two and three levels deep.
        {"if 1\nignore off\nelse\nif 1\nfrobnicate\nelse\nfrobnicate\nendif\nfrobnicate\nendif\n"
         "ignore off\n",
         0,
         {"if 1", "--> Perform THEN", "ignore off", "else", "--> ENDIF", "ignore off"}},
        {"if 1\nelse\nif 0\nif 1\nendif\nelse\nendif\nfrobnicate\nendif\nignore off\n",
         0,
         {"if 1", "--> Perform THEN", "else", "--> ENDIF", "ignore off"}},
    };
    ExpectEchoed(cases);
}

TEST_F(IfBlockTest, TraceLines) {
    const std::string log = PathOf("run.log");
    EXPECT_EQ(Run("logfile '" + log + "'\ndebug on\nif 0\nendif\ndebug off\n").result, 0);
    std::vector<std::string> traced;
    for (const std::string& line : LinesOf("run.log")) {
        const std::size_t at = line.find("Trace-->");
        if (at == std::string::npos) continue;
        const std::string message = line.substr(at + 8);
        if (message.rfind("GetNext", 0) != 0 && message.rfind("SetCurrentSession", 0) != 0)
            traced.push_back(message);
    }
    EXPECT_EQ(traced, (std::vector<std::string>{
                          "ExecuteLine: Begin", "ControlStmt: Begin", "ExecIf: Begin",
                          "IfCondition: Begin", "ExecuteCmdExt: Begin", "IfCondition: End. cc = 0",
                          "ExecIf: IfCondition cc == 0", "ExecIf: If is false", "ExecIf: End",
                          "ExecuteLine: Begin", "ControlStmt: Begin", "SetDebug: Begin"}));
}

}  // namespace
