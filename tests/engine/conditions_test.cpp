// SPDX-License-Identifier: MIT
// Conditions and built-in functions, each evaluated on an if line of a small script: the
// truth it gives, its result code and the messages it echoes.
#include <sys/stat.h>
#include <utime.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine_test.h"
#include "trace_log.h"
#include "windows_skips.h"

namespace {

struct Outcome {
    int result = 0;
    bool truth = false;
    // The lines echoed between the if line and the block's own lines.
    std::vector<std::string> messages;
};

class ConditionTest : public EngineTest {
  protected:
    // Runs "if condition" (after a login unless told otherwise) with an empty block.
    Outcome If(const std::string& condition, bool login = true) {
        if (login) AcceptLogin();
        const ScriptRun run = Run(std::string(login ? "login host\n" : "") + "echo on\nif " +
                                  condition + "\nendif\n");
        Outcome outcome;
        outcome.result = run.result;
        const std::string ifLine = "client: C> if " + condition;
        for (const std::string& line : run.output) {
            if (line == "client: C> --> Perform THEN") outcome.truth = true;
            const bool own = line == ifLine || line == "client: C> --> Perform THEN" ||
                             line == "client: C> --> ENDIF" || line == "client: C> endif" ||
                             line.rfind("server: ", 0) == 0 ||
                             line.rfind("client: C> login", 0) == 0;
            if (!own) outcome.messages.push_back(line.substr(std::string("client: C> ").size()));
        }
        return outcome;
    }
    bool True(const std::string& condition) {
        const Outcome outcome = If(condition);
        EXPECT_EQ(outcome.result, 0) << condition;
        EXPECT_TRUE(outcome.messages.empty()) << condition << ": " << outcome.messages.front();
        return outcome.truth;
    }
    void ExpectSyntaxError(const std::string& condition, const std::string& message) {
        const Outcome outcome = If(condition);
        EXPECT_EQ(outcome.result, -999) << condition;
        EXPECT_FALSE(outcome.truth) << condition;
        EXPECT_EQ(outcome.messages, std::vector<std::string>{message}) << condition;
    }
};

TEST_F(ConditionTest, TruthOfASingleOperand) {
    EXPECT_TRUE(True("1"));
    EXPECT_FALSE(True("0"));
    // A string's truth is that of its number.
    EXPECT_TRUE(True("'12abc'"));
    EXPECT_FALSE(True("'abc'"));
    EXPECT_FALSE(True("'TRUE'"));
    // Empty parentheses are a value of type none, which is false.
    EXPECT_FALSE(True("()"));
    // After a lone operand only a comparison or the end of the line may come.
    ExpectSyntaxError("1 2 frobnicate",
                      "If ...: syntax error. Expecting \"[= | != | < | <= | > | >= | "
                      "<end-of-line>]\", found \"2\".");
    // After a comparison the rest stays unread.
    EXPECT_TRUE(True("1 = 1 = 2"));
}

TEST_F(ConditionTest, TheLeftOperandSelectsTheComparison) {
    EXPECT_TRUE(True("10 > '9'"));   // int: the right side becomes 9
    EXPECT_FALSE(True("'10' > 9"));  // string: "10" against "9"
    EXPECT_FALSE(True("'ABC' = 'abc'"));
    EXPECT_TRUE(True("'abc' < 'abd'"));
    EXPECT_TRUE(True("'ab' < 'abc'"));
    EXPECT_TRUE(True("'abc' != 'abd'"));
    EXPECT_TRUE(True("5 > -1"));  // "-1" is a string token that converts to -1
    EXPECT_TRUE(True("5 >= 5"));
    EXPECT_FALSE(True("5 <= 4"));
    // Texts compare as unsigned bytes: an accented letter sorts after z.
    EXPECT_TRUE(True("'\xc3\xa9' > 'z'"));
    // A time on the left converts the right side to a time.
    EXPECT_TRUE(True("$Date('12311999') < $Date('01012000')"));
    EXPECT_TRUE(True("$Date('01011970') = 0"));
}

TEST_F(ConditionTest, SequencesAndNegation) {
    // Only the first comparison of a condition is read.
    EXPECT_TRUE(True("1 = 1 = 2"));
    // In parentheses, comparisons chain left to right: (1 = 1) = 2 compares true with true.
    EXPECT_TRUE(True("(1 = 1 = 2)"));
    EXPECT_TRUE(True("(1 = 2 = 0)"));
    // A sequence yields its last element.
    EXPECT_TRUE(True("(0 2)"));
    EXPECT_FALSE(True("(1 0)"));
    // "!" binds to the one operand after it.
    EXPECT_TRUE(True("! 5 = 0"));
    EXPECT_FALSE(True("! (5 = 5)"));
    EXPECT_TRUE(True("not (1 = 2)"));
    EXPECT_TRUE(True("NOT 0"));
    EXPECT_TRUE(True("! ! 7"));
}

TEST_F(ConditionTest, ALeftOperandOfTypeNoneReadsAsZero) {
    // A comparison that opens a condition or a sequence, or empty parentheses, leaves
    // nothing on the left: it compares as 0, the empty text or false.
    EXPECT_TRUE(True("= 0"));
    EXPECT_FALSE(True("= 1"));
    EXPECT_TRUE(True("< 1"));
    EXPECT_TRUE(True("() = ''"));
    EXPECT_FALSE(True("() = 'x'"));
    EXPECT_TRUE(True("() = (1 = 2)"));
    EXPECT_TRUE(True("() = ()"));
    EXPECT_TRUE(True("(= 0)"));
}

TEST_F(ConditionTest, FailuresEndTheEvaluation) {
    ExpectSyntaxError("(1 = 1", "(...: syntax error. Expecting \")\", found \"\".");
    // A failed element followed by anything but ")" is reported, and then the sequence.
    const Outcome comma = If("(1 = 1 , 2)");
    EXPECT_EQ(comma.result, -999);
    EXPECT_EQ(comma.messages, (std::vector<std::string>{
                                  "FTP: syntax error. Expecting \"<FTP Command>\", found \",\".",
                                  "(...: syntax error. Expecting \")\", found \"2\"."}));
    // A failed element directly followed by ")" fails the sequence with its own code.
    const Outcome inside = If("($Foo)");
    EXPECT_EQ(inside.result, -99);
    EXPECT_FALSE(inside.truth);
    EXPECT_TRUE(inside.messages.empty());
    const Outcome negated = If("not ($Foo)");
    EXPECT_EQ(negated.result, -999);
    EXPECT_FALSE(negated.truth);
    // An unknown function is -99 without a message.
    const Outcome unknown = If("$Foo()");
    EXPECT_EQ(unknown.result, -99);
    EXPECT_TRUE(unknown.messages.empty());
    // Nothing after if runs the end of the line as a command: -98 once logged in.
    EXPECT_EQ(If("").result, -98);
    // A right operand that fails ends the condition with its code.
    EXPECT_EQ(If("1 = $Foo()").result, -99);
}

TEST_F(ConditionTest, BeforeLoginOnlyPlainValuesWork) {
    EXPECT_TRUE(If("1", false).truth);
    EXPECT_EQ(If("1", false).result, 0);
    const Outcome now = If("$Now()", false);
    EXPECT_EQ(now.result, -99);
    EXPECT_EQ(now.messages, std::vector<std::string>{"Session not login yet, check your syntax."});
    EXPECT_EQ(If("", false).result, -99);
}

TEST_F(ConditionTest, NestingWithoutEndFailsInsteadOfOverflowing) {
    const std::string deep(100000, '(');
    const Outcome parentheses = If(deep);
    EXPECT_EQ(parentheses.result, -999);
    ASSERT_FALSE(parentheses.messages.empty());
    EXPECT_EQ(parentheses.messages[0],
              "Nesting: syntax error. Expecting \"<at most 256 levels>\", found \"(\".");
    std::string negations;
    for (int i = 0; i < 100000; ++i)
        negations += "! ";
    EXPECT_EQ(If(negations + "1").result, -999);
    std::string calls;
    for (int i = 0; i < 100000; ++i)
        calls += "$Number(";
    EXPECT_EQ(If(calls + "1)").result, -999);
    // Deep but bounded nesting is fine.
    EXPECT_TRUE(True(std::string(100, '(') + "1" + std::string(100, ')')));
}

TEST_F(ConditionTest, CommandsAsOperands) {
    // exists gives a bool: a missing file compares equal to 0.
    fake().SetResult("ftp_Exists", 0);
    EXPECT_TRUE(True("exists 'a.txt' = 0"));
    EXPECT_FALSE(True("exists 'a.txt'"));
    fake().SetResult("ftp_Exists", 1);
    EXPECT_TRUE(True("exists 'a.txt'"));
    EXPECT_TRUE(True("not exists 'a.txt' = 0"));
    // filesize gives a dword, compared without sign: 3000000000 is more than 1000, where a
    // signed comparison would find it negative.
    fake().SetResult("ftp_GetFileSize", 3000000000LL);
    EXPECT_TRUE(True("filesize 'a.txt' > 1000"));
    EXPECT_TRUE(True("filesize 'a.txt' = '3000000000'"));
    EXPECT_TRUE(True("$Number(1000) > filesize 'a.txt'"))
        << "an int on the left: the size reads as negative";
    // filedate gives a time, compared with another time.
    fake().SetText("ftp_GetFileDateTime", "20240131235959");
    EXPECT_TRUE(True("filedate 'a.txt' > $Date('01011999')"));
    EXPECT_TRUE(True("filedate 'a.txt' = $Date('01312024')"));
    EXPECT_TRUE(True("filedatetime 'a.txt' > $Date('01312024')"));
    // A command that leaves no value (type none) reads as zero when it succeeded.
    EXPECT_TRUE(True("binary = 0"));
    // The session prefix of an operand switches the session for the rest of the line.
    fake().Reset();
    AcceptLogin();
    const ScriptRun run =
        Run("login host\n#2 login other\necho on\nif #2 exists 'a' = #0 exists 'a'\nendif\n");
    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(fake().CallsTo("ftp_Exists").size(), 2u);
    // An empty file has the size 0.
    fake().SetResult("ftp_GetFileSize", 0);
    EXPECT_TRUE(True("filesize 'empty.txt' = 0"));
    // A command that fails ends the condition with its code.
    fake().SetResult("ftp_GetFileSize", -550);
    EXPECT_EQ(If("filesize 'missing.txt' > 0").result, -1);
    // ... also inside parentheses, where its code must not read as a true number.
    const Outcome inside = If("(filesize 'missing.txt')");
    EXPECT_EQ(inside.result, -1);
    EXPECT_FALSE(inside.truth);
}

using FunctionTest = ConditionTest;

TEST_F(FunctionTest, NamesInAnyLetterCaseAndSpacing) {
    EXPECT_TRUE(True("$date() = $Now()"));
    EXPECT_TRUE(True("$DATE() = $now()"));
    EXPECT_TRUE(True("$ Date ( ) = $Now( )"));
    EXPECT_TRUE(True("$Now() > $Today()"));
    EXPECT_TRUE(True("$Today() = $Date('01312001')"));
    // The test clock stands at 10:00:00 UTC.
    EXPECT_TRUE(True("$Number($Now()) = -121532064"));  // 20010131100000, wrapped
}

TEST_F(FunctionTest, DatesHoldSixtyFourBitTimes) {
    VARNIX_SKIP_ON_WINDOWS("the C runtime's time functions end in the year 3000");
    EXPECT_TRUE(True("$Date('01012040') > $Date('12311999')"));
    EXPECT_TRUE(True("$Date('12319999') > $Date('01012040')"));
    // Before 1970 there is no time: -1.
    EXPECT_TRUE(True("$Date('12311969') = -1"));
    EXPECT_TRUE(True("$Date('abc') = -1"));
    EXPECT_TRUE(True("$Date('1999', 'mm') = -1"));
    EXPECT_TRUE(True("$Date('1999-12-31 23:59', 'yyyy-mm-dd HH:MM') > $Date('12311999')"));
    // The 14-digit time text read as a number wraps at 32 bits.
    EXPECT_TRUE(True("$Number($Date('01011999')) = 1323204416"));
    EXPECT_FALSE(True("$Number($Date('12311999', 'mmddyyyy')) = 0"));
}

TEST_F(FunctionTest, TextsAndNumbers) {
    EXPECT_TRUE(True("$Number(42) = 42"));
    EXPECT_TRUE(True("$String('42') = '42'"));
    EXPECT_TRUE(True("$String(abc) = 'abc'"));
    EXPECT_TRUE(True("$File(get) = 'get'"));  // a keyword is taken as text
    EXPECT_TRUE(True("$String($Number(7)) = '7'"));
    EXPECT_TRUE(True("$String($Date('01011999')) = '19990101000000'"));
    // A failed nested call gives an empty text and its own result.
    const Outcome failed = If("$String($Foo())");
    EXPECT_EQ(failed.result, -99);
}

// Every function nested in every function that takes another's value: the nested call
// reads its own parentheses and the outer call its own, so the comparison after them is
// read (with the comparison dropped, = and != would give the same truth).
TEST_F(FunctionTest, NestedCallsLeaveTheComparisonToTheCondition) {
    const std::string file = PathOf("in.txt");
    testfx::writeFile(file, "x");
    const std::vector<std::string> inner = {
        "$Date('01011999')",      "$Today()",      "$Now()",
        "$File('" + file + "')",  "$Exec('true')", "$Number(86400)",
        "$String('" + file + "')"};
    for (const std::string outer : {"$Date(", "$Number(", "$String("}) {
        for (const std::string& call : inner) {
            const std::string operand = outer + call + ")";
            EXPECT_TRUE(True(operand + " = " + operand)) << operand;
            EXPECT_FALSE(True(operand + " != " + operand)) << operand;
        }
    }
    // A ) too many is an unread operand.
    ExpectSyntaxError("$Number($Number(1))) = 1",
                      "If ...: syntax error. Expecting \"[= | != | < | <= | > | >= | "
                      "<end-of-line>]\", found \")\".");
}

TEST_F(FunctionTest, ExecRunsACommandAndGivesItsExitStatus) {
    VARNIX_SKIP_ON_WINDOWS("its $Exec commands are POSIX shell commands (true, touch)");
    EXPECT_TRUE(True("$Exec('exit 3') = 3"));
    EXPECT_TRUE(True("$exec(true) = 0"));
    const std::string marker = PathOf("ran");
    EXPECT_TRUE(True("$Exec('touch \"" + marker + "\"') = 0"));
    EXPECT_TRUE(std::filesystem::exists(marker));
    EXPECT_TRUE(True("$Exec('kill -TERM $$') = 143")) << "a signal shows as 128 + its number";
}

TEST_F(FunctionTest, DateOfALocalFile) {
    const std::string file = PathOf("in.txt");
    testfx::writeFile(file, "x");
    const utimbuf times{946684740, 946684740};  // 1999-12-31 23:59:00 UTC
    ASSERT_EQ(::utime(file.c_str(), &times), 0);
    const std::string dateOfFile = "$Date($File('" + file + "'))";
    EXPECT_TRUE(True(dateOfFile + " = $Date('1999-12-31 23:59', 'yyyy-mm-dd HH:MM')"));
    EXPECT_TRUE(True(dateOfFile + " > $Date('12311999')"));
    EXPECT_FALSE(True(dateOfFile + " > $Today()")) << "the comparison is read, not dropped";
    // Another nested value becomes a time.
    EXPECT_TRUE(True("$Date($Now()) = $Now()"));
    EXPECT_TRUE(True("$Date($Number(86400)) = $Date('01021970')"));
}

TEST_F(FunctionTest, AMissingLocalFileIsMinusOneAndALogLine) {
    AcceptLogin();
    const ScriptRun run = Run("logfile '" + PathOf("run.log") +
                              "'\nlogin host\nif $Date($File('missing.txt'))\nendif\n");
    EXPECT_EQ(run.result, -1);
    CTraceLog::Instance().Close();
    const auto lines = LinesOf("run.log");
    EXPECT_NE(std::find(lines.begin(), lines.end(), "File \"missing.txt\" does not exists"),
              lines.end());
}

TEST_F(FunctionTest, EveryFunctionButDateEndsWithATraceLine) {
    VARNIX_SKIP_ON_WINDOWS("its $Exec command is a POSIX shell command (true)");
    AcceptLogin();
    const ScriptRun run =
        Run("logfile '" + PathOf("run.log") +
            "'\nlogin host\nignore on\ndebug on\n$Now()\n$Today(x\n$Today()\n$File('a')\n"
            "$File(1)\n$Number(4)\n$String('s')\n$Exec('true')\n$Date()\ndebug off\n");
    EXPECT_EQ(run.result, 0);
    CTraceLog::Instance().Close();
    std::vector<std::string> ends;
    for (const std::string& line : LinesOf("run.log")) {
        const std::size_t at = line.find("Trace-->f_");
        if (at != std::string::npos && line.find(": End.", at) != std::string::npos)
            ends.push_back(line.substr(at + 8));
    }
    EXPECT_EQ(ends, (std::vector<std::string>{
                        "f_Now: End. 0, 20010131 100000", "f_Today: End. -999, 19700101 000000",
                        "f_Today: End. 0, 20010131 000000", "f_File: End. cc = 0, a",
                        "f_File: End. cc = -999, ", "f_Number: End. 0, 4", "f_String: End. 0, s",
                        "f_Exec: End. cc = 0, 0"}));
}

TEST_F(FunctionTest, SyntaxErrorsNameWhatWasExpected) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"$Date", "Date: syntax error. Expecting \"... (\", found \"\"."},
        {"$Date(12311999)", "... (: syntax error. Expecting \")\", found \"12311999\"."},
        {"$Date('1' x", "1: syntax error. Expecting \"[, | )]\", found \"x\"."},
        {"$Date('1',)", "... ,: syntax error. Expecting \"<string>\", found \")\"."},
        {"$Date('1', 'mm' x", "mm: syntax error. Expecting \")\", found \"x\"."},
        {"$Today", "Today: syntax error. Expecting \"(\", found \"\"."},
        {"$Today(1", "(: syntax error. Expecting \")\", found \"1\"."},
        {"$Now x", "Now: syntax error. Expecting \"(\", found \"x\"."},
        {"$Now(x", "Now(: syntax error. Expecting \")\", found \"x\"."},
        {"$File 'a'", "File: syntax error. Expecting \"(\", found \"a\"."},
        {"$File()", "File(: syntax error. Expecting \"<string>\", found \")\"."},
        {"$File('a' 'b'", "a: syntax error. Expecting \")\", found \"b\"."},
        {"$Exec", "Exec: syntax error. Expecting \"(\", found \"\"."},
        {"$Exec(1)", "... (: syntax error. Expecting \"<string>\", found \"1\"."},
        {"$Exec('true'", "true: syntax error. Expecting \")\", found \"\"."},
        {"$Number", "Number: syntax error. Expecting \"(\", found \"\"."},
        {"$Number('4')", "... (: syntax error. Expecting \"<number>\", found \"4\"."},
        {"$Number(4 x", "4: syntax error. Expecting \")\", found \"x\"."},
        {"$String", "String: syntax error. Expecting \"(\", found \"\"."},
        {"$String(42)", "... (: syntax error. Expecting \"<string>\", found \"42\"."},
        {"$String('a'", "a: syntax error. Expecting \")\", found \"\"."},
    };
    for (const auto& [call, message] : cases)
        ExpectSyntaxError(call, message);
    // A nested call that fails is reported by $Date as well.
    const Outcome nested = If("$Date($Now)");
    EXPECT_EQ(nested.result, -999);
    EXPECT_EQ(nested.messages, (std::vector<std::string>{
                                   "Now: syntax error. Expecting \"(\", found \")\".",
                                   "... $: syntax error. Expecting \"<$file>\", found \")\"."}));
}

TEST_F(FunctionTest, AFunctionAloneOnALineIsAStatement) {
    AcceptLogin();
    EXPECT_EQ(Run("login host\n$Date('12311999')\n$Now()\n$Exec('true')\n").result, 0);
    EXPECT_EQ(Run("login host\n$Foo()\necho on\n").result, -99);
    EXPECT_EQ(Run("login host\n$Date(1)\n").result, -999);
    // Without the "$", date is no function but an unknown command.
    EXPECT_EQ(Run("login host\nDate('12311999')\n").result, -98);
    // Before a login a function needs a session like every command.
    EXPECT_EQ(Run("$Now()\n").result, -99);
}

}  // namespace
