// SPDX-License-Identifier: MIT
// The recording stand-in for varnix32: implements every function of varnix32.h, records
// each call with its arguments in order, and returns what a test scripts per function.
//
//     auto& fake = FakeVarnix::Instance();
//     fake.Reset();
//     fake.SetResult("ftp_open", 3);
//     fake.SetText("ftp_copyreplystr", "230 Logged in.\r\n");
//     ... run a statement ...
//     EXPECT_EQ(fake.Calls(), (CallList{R"(ftp_open("h"))", R"(ftp_relogin(3, "u", "p", ""))"}));
//
// Calls are written as name(arguments): texts in double quotes, numbers bare, a buffer the
// function fills as <buffer>, a procedure as <proc> or NULL.
#pragma once

#include <functional>
#include <initializer_list>
#include <map>
#include <mutex>
#include <string>
#include <vector>

using CallList = std::vector<std::string>;

class FakeVarnix {
  public:
    using Action = std::function<void(const std::vector<std::string>& arguments)>;

    static FakeVarnix& Instance();

    // Forgets calls, results, texts and actions.
    void Reset();

    // The result of every call of the function once its queue is empty (default: 0, or
    // for a function that returns a length, the length of the text it wrote).
    void SetResult(const std::string& function, long long result);
    // Results for the next calls, first to last.
    void QueueResults(const std::string& function, std::vector<long long> results);
    // The text a function writes into its buffer, once its queue of texts is empty.
    void SetText(const std::string& function, std::string text);
    void QueueTexts(const std::string& function, std::vector<std::string> texts);
    // Runs after each call of the function is recorded (to delete a file, for instance).
    void OnCall(const std::string& function, Action action);
    // Runs after every call of any function (to bound a run that retries without end).
    void OnEveryCall(std::function<void()> action);

    // Every call so far, in order.
    CallList Calls() const;
    // The calls of one function.
    CallList CallsTo(const std::string& function) const;
    // The calls of every function but these.
    CallList CallsExcept(const std::vector<std::string>& functions) const;

    // Used by the C functions of the fake.
    long long Call(const char* function, std::vector<std::string> arguments);
    long long CallFilling(const char* function, std::vector<std::string> arguments, char* buffer,
                          int size, bool terminate, bool resultIsLength);

  private:
    struct Script {
        bool hasResult = false;
        long long result = 0;
        std::vector<long long> results;
        std::string text;
        std::vector<std::string> texts;
        Action action;
    };
    Script& ScriptOf(const std::string& function);
    long long NextResult(Script& script, long long length);

    mutable std::mutex mutex_;
    std::vector<std::pair<std::string, std::string>> calls_;  // function, call text
    std::map<std::string, Script> scripts_;
    std::function<void()> everyCall_;
};
