// SPDX-License-Identifier: MIT
// What the last transfer on a handle wrote (varnix_lasttransfer), against real servers: a
// refused get opened nothing, a whole one names its file and bytes, a unique get the free
// name it chose, a STOU put the name the server gave; and ftp_Exists on empty directories.
#include <gtest/gtest.h>

#include <string>

#include "ftp_test_support.h"

namespace {

using ftptest::lastError;

class TransferRecordTest : public ftptest::ServerTest {
  protected:
    varnix_transfer_info Last() {
        varnix_transfer_info info{};
        EXPECT_EQ(varnix_lasttransfer(h, &info), 0);
        return info;
    }
};

TEST_P(TransferRecordTest, TellsWhatTheLastTransferWrote) {
    ASSERT_EQ(ftp_setbinary(h), 0) << lastError();
    const std::string data = testfx::allBytes(5000);
    server().put("r.bin", data);
    testfx::writeFile(local / "r.bin", "older");

    EXPECT_NE(ftp_get(h, "missing.bin", localPath("m.bin").c_str()), 0);
    const std::string refusal = lastError();
    varnix_transfer_info info = Last();
    EXPECT_EQ(info.opened, 0);
    EXPECT_EQ(info.written, 0);
    EXPECT_EQ(lastError(), refusal) << "reading the record leaves the last text alone";

    ASSERT_EQ(ftp_localunique(h), 0);
    ASSERT_EQ(ftp_get(h, "r.bin", localPath("r.bin").c_str()), 0) << lastError();
    info = Last();
    EXPECT_EQ(info.opened, 1);
    EXPECT_EQ(info.written, 5000);
    EXPECT_EQ(std::string(info.local), localPath("r.bin.1"));
    EXPECT_EQ(std::string(info.remote), "r.bin");
    ASSERT_EQ(ftp_localunique(h), 0);

    ASSERT_EQ(ftp_storeunique(h), 0);
    ASSERT_EQ(ftp_put(h, localPath("r.bin.1").c_str(), "r.bin"), 0) << lastError();
    info = Last();
    EXPECT_EQ(info.opened, 1);
    EXPECT_EQ(info.written, 5000);
    const std::string given = info.remote;
    EXPECT_NE(given, "r.bin");
    EXPECT_EQ(server().get(given), data) << given;
    EXPECT_EQ(server().get("r.bin"), data) << "the file of the same name is left alone";
    ASSERT_EQ(ftp_storeunique(h), 0);

    EXPECT_EQ(varnix_lasttransfer(h, nullptr), VARNIX_EINVAL);
    EXPECT_EQ(varnix_lasttransfer(h + 1000, &info), VARNIX_EHANDLE);
}

TEST_P(TransferRecordTest, EmptyDirectoriesExistToo) {
    server().mkdir("empty");
    char before[512] = {};
    ASSERT_EQ(ftp_pwd(h, before, sizeof before), 0) << lastError();
    EXPECT_NE(ftp_Exists(h, "empty"), 0);
    EXPECT_EQ(ftp_Exists(h, "missing"), 0);
    char after[512] = {};
    ASSERT_EQ(ftp_pwd(h, after, sizeof after), 0) << lastError();
    EXPECT_EQ(std::string(after), std::string(before)) << "the check changed back";
}

VARNIX_SERVER_SUITE(TransferRecordTest);

}  // namespace
