// SPDX-License-Identifier: MIT
// libquarv32 shows the dynamic linker its C API and the host C++ API, nothing else.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>

namespace {

std::set<std::string> ExportedSymbols() {
    std::set<std::string> symbols;
    const std::string command = "nm -D --defined-only -C '" QUARV_LIBRARY "' 2>/dev/null";
    FILE* nm = ::popen(command.c_str(), "r");
    if (nm == nullptr) return symbols;
    char line[4096];
    while (std::fgets(line, sizeof line, nm) != nullptr) {
        std::string text(line);
        if (!text.empty() && text.back() == '\n') text.pop_back();
        // "address type name"
        const std::size_t type = text.find(' ');
        if (type != std::string::npos && type + 3 <= text.size())
            symbols.insert(text.substr(type + 3));
    }
    ::pclose(nm);
    return symbols;
}

TEST(LibrarySymbols, OnlyTheApiIsExported) {
    const std::set<std::string> symbols = ExportedSymbols();
    ASSERT_FALSE(symbols.empty()) << "nm could not read " QUARV_LIBRARY;
    for (const char* name :
         {"Quarv_Execute", "Quarv_Execute2", "Quarv_ExecLine", "Quarv_ExecLine2", "Quarv_Stop",
          "Quarv_LastFailure", "CSession::GetHandle()", "vtable for CSession"})
        EXPECT_EQ(symbols.count(name), 1u) << name;
    for (const std::string& symbol : symbols) {
        const bool api = symbol.rfind("Quarv_", 0) == 0 ||
                         symbol.find("CSession") != std::string::npos ||
                         symbol.find("CTimerHost") != std::string::npos;
        EXPECT_TRUE(api) << symbol;
    }
}

}  // namespace
