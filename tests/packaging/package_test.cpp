// SPDX-License-Identifier: MIT
// The Debian packages of scripts/package, unpacked into a throwaway root with dpkg -x: each
// holds its files and generated dependencies, no binary carries an RPATH, the installed quarv
// runs a job against a local server with the installed libraries, and every manual page
// renders.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>
#include <string>
#include <vector>

#include "files.h"
#include "servers.h"

namespace {

namespace fs = std::filesystem;

struct Output {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs a shell command in folder, capturing both output streams.
Output Shell(const std::string& command, const fs::path& folder) {
    const std::string full =
        "cd '" + folder.string() + "' && { " + command + " ; } >shell-out.txt 2>shell-err.txt";
    const int status = std::system(full.c_str());
    Output output;
    output.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    output.out = testfx::readFile(folder / "shell-out.txt");
    output.err = testfx::readFile(folder / "shell-err.txt");
    return output;
}

fs::path PackageFile(const std::string& name) {
    for (const auto& entry : fs::directory_iterator(PACKAGE_DIR))
        if (entry.path().filename().string().rfind(name + "_" PROJECT_VERSION_TEXT "_", 0) == 0)
            return entry.path();
    return {};
}

class Packages : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        root_ = new testfx::TempDir("varnix-debs");
        for (const auto& entry : fs::directory_iterator(PACKAGE_DIR)) {
            if (entry.path().extension() != ".deb") continue;
            const Output unpacked =
                Shell("dpkg -x '" + entry.path().string() + "' root", root_->path());
            ASSERT_EQ(unpacked.status, 0) << unpacked.err;
        }
    }
    static void TearDownTestSuite() {
        delete root_;
        root_ = nullptr;
    }
    static fs::path Root() { return root_->path() / "root"; }
    // The folder of the installed libraries (/usr/lib/<triplet>).
    static fs::path LibDir() {
        for (const auto& entry : fs::recursive_directory_iterator(Root() / "usr/lib"))
            if (entry.path().filename() == "libvarnix32.so.1") return entry.path().parent_path();
        return {};
    }
    static testfx::TempDir* root_;
};
testfx::TempDir* Packages::root_ = nullptr;

TEST_F(Packages, EachHoldsItsFilesAndDependencies) {
    struct Case {
        std::string package;
        std::vector<std::string> files;  // below the root; "*" stands for the library folder
        std::vector<std::string> depends;
    };
    const std::string same = "(= " PROJECT_VERSION_TEXT ")";
    const std::vector<Case> cases = {
        {"libvarnix32",
         {"*/libvarnix32.so.1", "usr/share/doc/libvarnix32/copyright"},
         {"libc6", "libssl3", "libstdc++6"}},
        {"libvarnix32-dev",
         {"usr/include/varnix32.h", "*/libvarnix32.so", "*/pkgconfig/varnix32.pc",
          "*/cmake/varnix32/varnix32Config.cmake", "usr/share/man/man3/varnix32.3",
          "usr/share/doc/libvarnix32-dev/varnix32.md"},
         {"libvarnix32 " + same}},
        {"libquarv32", {"*/libquarv32.so.1"}, {"libc6", "libvarnix32 " + same}},
        {"libquarv32-dev",
         {"usr/include/quarv32.h", "usr/include/quarv32_version.h", "*/pkgconfig/quarv32.pc",
          "*/cmake/quarv32/quarv32Config.cmake"},
         {"libquarv32 " + same, "libvarnix32-dev " + same}},
        {"quarv",
         {"usr/bin/quarv", "usr/share/man/man1/quarv.1", "usr/share/doc/quarv/script-language.md",
          "usr/share/doc/quarv/examples/deploy/quarv-nightly.service"},
         {"libquarv32 " + same, "libstdc++6"}},
        {"brisel32", {"usr/bin/brisel32", "usr/share/man/man1/brisel32.1"}, {"libqt6widgets6"}},
    };
    const fs::path libdir = LibDir();
    ASSERT_FALSE(libdir.empty());
    testfx::TempDir work("varnix-debs");
    for (const Case& c : cases) {
        const fs::path deb = PackageFile(c.package);
        ASSERT_FALSE(deb.empty()) << c.package;
        const Output contents = Shell("dpkg-deb -c '" + deb.string() + "'", work.path());
        for (std::string file : c.files) {
            if (file[0] == '*') file = fs::relative(libdir, Root()).string() + file.substr(1);
            EXPECT_NE(contents.out.find("./" + file), std::string::npos)
                << c.package << " lacks " << file;
        }
        const Output depends = Shell("dpkg-deb -f '" + deb.string() + "' Depends", work.path());
        for (const std::string& dependency : c.depends)
            EXPECT_NE(depends.out.find(dependency), std::string::npos)
                << c.package << ": " << depends.out;
    }
}

TEST_F(Packages, NoBinaryCarriesAnRpath) {
    testfx::TempDir work("varnix-debs");
    const Output dynamic = Shell(
        "for f in root/usr/bin/* " + LibDir().string() + "/lib*.so.1; do readelf -d \"$f\"; done",
        root_->path());
    ASSERT_EQ(dynamic.status, 0) << dynamic.err;
    EXPECT_NE(dynamic.out.find("libvarnix32.so.1"), std::string::npos) << dynamic.out;
    EXPECT_EQ(dynamic.out.find("RPATH"), std::string::npos) << dynamic.out;
    EXPECT_EQ(dynamic.out.find("RUNPATH"), std::string::npos) << dynamic.out;
}

// The installed quarv, with the installed libraries only, puts and gets a file.
TEST_F(Packages, InstalledQuarvRunsAJob) {
    testfx::FtpServer server(testfx::ServerKind::Pyftpdlib);
    testfx::TempDir work("varnix-debs");
    const std::string run = "LD_LIBRARY_PATH='" + LibDir().string() + "' '" +
                            (Root() / "usr/bin/quarv").string() + "' ";
    Output version = Shell(run + "--version", work.path());
    EXPECT_EQ(version.out,
              "quarv " PROJECT_VERSION_TEXT " (varnix32 " VARNIX_VERSION_DECIMAL ")\n");
    const Output libraries = Shell("LD_LIBRARY_PATH='" + LibDir().string() + "' ldd '" +
                                       (Root() / "usr/bin/quarv").string() + "'",
                                   work.path());
    EXPECT_NE(libraries.out.find(LibDir().string() + "/libquarv32.so.1"), std::string::npos)
        << libraries.out;

    testfx::writeFile(work / "data.txt", "hello from the package\n");
    testfx::writeFile(work / "job.qv", "login " + server.host() + " " + server.user() + " " +
                                           server.password() +
                                           "\nput data.txt up.txt\nget up.txt back.txt\n");
    const Output job = Shell(run + "job.qv", work.path());
    EXPECT_EQ(job.status, 0) << job.err;
    EXPECT_EQ(server.get("up.txt"), "hello from the package\n");
    EXPECT_EQ(testfx::readFile(work / "back.txt"), "hello from the package\n");
}

TEST_F(Packages, ManualPagesRender) {
    for (const std::string page : {"man1/quarv.1", "man1/brisel32.1", "man3/varnix32.3"}) {
        const fs::path file = Root() / "usr/share/man" / page;
        const Output man =
            Shell("MANWIDTH=80 man --warnings -l '" + file.string() + "'", root_->path());
        EXPECT_EQ(man.status, 0) << page;
        EXPECT_EQ(man.err, "") << page;
        EXPECT_NE(man.out.find("NAME"), std::string::npos) << page;
        EXPECT_NE(man.out.find("SEE ALSO"), std::string::npos) << page;
        EXPECT_NE(man.out.find(PROJECT_VERSION_TEXT), std::string::npos) << page;
    }
}

}  // namespace
