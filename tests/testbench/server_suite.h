// SPDX-License-Identifier: MIT
// Shared set-up of the test bench's server tests: one pyftpdlib and (as root) one vsftpd for
// the whole suite, a bench with a document per test, and the steps most tests start with.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "core/ids.h"
#include "servers.h"
#include "test_ui.h"

namespace benchtest {

class ServerSuite : public ::testing::TestWithParam<testfx::ServerKind> {
  public:
    static void SetUpTestSuite();
    static void TearDownTestSuite();

  protected:
    void SetUp() override;
    void TearDown() override;

    testfx::FtpServer& Server() { return *servers_.at(GetParam()); }
    // Logs the active document in to the suite's server; the session is quit after the test.
    void Login();
    void LoginTo(const testfx::FtpServer& server);
    // A name unique to this test and server, for remote and local files.
    std::string Name(const std::string& stem) const;
    std::filesystem::path Local(const std::string& name) const { return local_.path() / name; }

    CTestBench bench;
    testfx::TempDir local_{"bench-local"};

  private:
    static std::map<testfx::ServerKind, std::unique_ptr<testfx::FtpServer>> servers_;
    std::filesystem::path startDir_;
};

// Logs the bench's active document in to the server through the Login dialog.
void LoginWindow(CTestBench& bench, const testfx::FtpServer& server);

// Runs a listing dialog (DirList or ReadDirList) three times from one open dialog: short,
// long, and a directory text that the library refuses. Returns the dialog as shown.
const CShownDialog& ListThreeWays(CTestBench& bench, int command, int dialog,
                                  const std::string& directory);

std::string ServerKindParamName(const ::testing::TestParamInfo<testfx::ServerKind>& info);

}  // namespace benchtest
