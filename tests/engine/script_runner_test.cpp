// SPDX-License-Identifier: MIT
// Scripts with the output they must produce written beside them (tests/engine/scripts).
// Directives are comment lines, which the reader skips:
//   // fake: FUNCTION result N         the fake's result for every call
//   // fake: FUNCTION results N, M     results for the next calls
//   // fake: FUNCTION text TEXT        the text it writes into its buffer (\r\n allowed)
//   // fake: FUNCTION texts A | B      texts for the next calls, then the text (empty)
//   // fake: FUNCTION advances N       each call moves the engine clock on by N seconds
//   // fake: FUNCTION removes          the call deletes the file it names
//   // result: N                       the script's result (0 when absent)
//   // client: TEXT  // server: TEXT   the output lines, in order, without "\r\n"
//   // call: TEXT                      the library calls, in order (none when absent)
//   // calls: unchecked                the calls are not compared
//   // log: TEXT                       the lines of run.log, which holds no CR
//   // sleeps: N, M                    the engine's waits, in seconds (none when absent)
// A script runs in a fresh temporary folder with the clock at 01/31/2001 10:00:00 UTC.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "engine_test.h"
#include "trace_log.h"
#include "windows_skips.h"

namespace {

namespace fs = std::filesystem;

struct Expectations {
    int result = 0;
    std::vector<std::string> output;
    std::vector<std::string> calls;
    bool checkCalls = true;
    std::vector<std::string> log;
    bool checkLog = false;
    std::vector<long long> sleeps;
};

std::string Unescaped(std::string text) {
    for (std::size_t at; (at = text.find("\\r\\n")) != std::string::npos;)
        text.replace(at, 4, "\r\n");
    return text;
}

std::vector<long long> Numbers(const std::string& list) {
    std::vector<long long> numbers;
    std::istringstream in(list);
    for (std::string item; std::getline(in, item, ',');)
        numbers.push_back(std::stoll(item));
    return numbers;
}

std::vector<std::string> Texts(const std::string& list) {
    std::vector<std::string> texts;
    constexpr std::string_view kSeparator = " | ";
    std::size_t start = 0;
    for (std::size_t end; (end = list.find(kSeparator, start)) != std::string::npos;
         start = end + kSeparator.size())
        texts.push_back(Unescaped(list.substr(start, end - start)));
    texts.push_back(Unescaped(list.substr(start)));
    return texts;
}

void ScriptFake(FakeVarnix& fake, ManualClock& clock, const std::string& directive) {
    std::istringstream in(directive);
    std::string function, kind;
    in >> function >> kind;
    std::string rest;
    std::getline(in, rest);
    if (!rest.empty() && rest[0] == ' ') rest.erase(0, 1);
    if (kind == "result")
        fake.SetResult(function, std::stoll(rest));
    else if (kind == "results")
        fake.QueueResults(function, Numbers(rest));
    else if (kind == "text")
        fake.SetText(function, Unescaped(rest));
    else if (kind == "texts")
        fake.QueueTexts(function, Texts(rest));
    else if (kind == "advances")
        fake.OnCall(function, [&clock, seconds = std::stoll(rest)](const auto&) {
            clock.Advance(std::chrono::seconds(seconds));
        });
    else if (kind == "removes")
        fake.OnCall(function, [](const std::vector<std::string>& arguments) {
            fs::remove(arguments.at(0).substr(1, arguments.at(0).size() - 2));
        });
    else
        throw std::invalid_argument("unknown fake directive: " + directive);
}

Expectations ReadDirectives(const fs::path& script, FakeVarnix& fake, ManualClock& clock) {
    Expectations expected;
    std::ifstream in(script);
    for (std::string line; std::getline(in, line);) {
        auto take = [&line](const std::string& prefix, std::string& value) {
            if (line.rfind(prefix, 0) != 0) return false;
            value = line.substr(prefix.size());
            return true;
        };
        std::string value;
        if (take("// fake: ", value))
            ScriptFake(fake, clock, value);
        else if (take("// result: ", value))
            expected.result = std::stoi(value);
        else if (take("// client: ", value))
            expected.output.push_back("client: " + value);
        else if (take("// server: ", value))
            expected.output.push_back("server: " + value);
        else if (take("// call: ", value))
            expected.calls.push_back(value);
        else if (take("// calls: ", value))
            expected.checkCalls = value != "unchecked";
        else if (take("// log: ", value)) {
            expected.log.push_back(value);
            expected.checkLog = true;
        } else if (take("// sleeps: ", value)) {
            expected.sleeps = Numbers(value);
        }
    }
    return expected;
}

std::vector<fs::path> Scripts() {
    std::vector<fs::path> scripts;
    for (const auto& entry : fs::directory_iterator(QUARV_TEST_SCRIPTS))
        if (entry.path().extension() == ".qv") scripts.push_back(entry.path());
    std::sort(scripts.begin(), scripts.end());
    return scripts;
}

class ScriptTest : public EngineTest, public ::testing::WithParamInterface<fs::path> {};

TEST_P(ScriptTest, ProducesItsExpectedLines) {
    if (GetParam().stem() == "retry_restart")
        VARNIX_SKIP_ON_WINDOWS("its recorded local names are POSIX paths (/work/a.bin)");
    const Expectations expected = ReadDirectives(GetParam(), fake(), clock_);
    fs::copy_file(GetParam(), dir_ / "script.qv");
    Output output;
    int result = 0;
    {
        ScopedCurrentDirectory inside(dir_.path());
        result = Quarv_Execute2("script.qv", output.user(), Output::Client, Output::Server);
        // The log file's name is relative: end it before leaving the folder.
        CTraceLog::Instance().SetLevel(0);
        if (expected.checkLog && !fs::exists(dir_ / "run.log")) {
            ADD_FAILURE() << "no run.log";
        } else if (expected.checkLog) {
            const std::string log = testfx::readFile(dir_ / "run.log");
            EXPECT_EQ(log.find('\r'), std::string::npos);
            EXPECT_EQ(LinesOf("run.log"), expected.log);
        }
        CTraceLog::Instance().Close();
    }
    EXPECT_EQ(result, expected.result);
    EXPECT_EQ(output.lines, expected.output);
    if (expected.checkCalls) {
        EXPECT_EQ(fake().Calls(), expected.calls);
    }
    std::vector<long long> sleeps;
    for (const auto& sleep : clock_.Sleeps())
        sleeps.push_back(std::chrono::duration_cast<std::chrono::seconds>(sleep).count());
    EXPECT_EQ(sleeps, expected.sleeps);
}

INSTANTIATE_TEST_SUITE_P(Scripts, ScriptTest, ::testing::ValuesIn(Scripts()),
                         [](const ::testing::TestParamInfo<fs::path>& info) {
                             std::string name = info.param.stem().string();
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             return name;
                         });

}  // namespace
