// SPDX-License-Identifier: MIT
#include "windows_test_support.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace wintest {
namespace {

std::filesystem::path pathOf(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string environment(const std::string& name) {
    const char* value = std::getenv(name.c_str());
    return value ? value : "";
}

}  // namespace

std::optional<Server> serverFromEnvironment(const std::string& kind) {
    std::string prefix = "VARNIX_WIN_";
    for (char c : kind)
        prefix += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    prefix += "_";
    Server s{kind, environment(prefix + "HOST"), environment(prefix + "USER"),
             environment(prefix + "PASSWORD"), environment(prefix + "ROOT")};
    if (s.host.empty()) return std::nullopt;
    return s;
}

TempDir::TempDir() {
    static int counter = 0;
    path_ =
        std::filesystem::temp_directory_path() /
        ("varnix-win-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(++counter));
    std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::operator/(const std::string& name) const {
    auto text = (path_ / pathOf(name)).u8string();
    return std::string(text.begin(), text.end());
}

std::string readFile(const std::string& name) {
    std::ifstream in(pathOf(name), std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + name);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const std::string& name, std::string_view data) {
    std::ofstream out(pathOf(name), std::ios::binary | std::ios::trunc);
    out.write(data.data(), static_cast<std::streamsize>(data.size()));
    if (!out) throw std::runtime_error("cannot write " + name);
}

bool fileExists(const std::string& name) {
    std::error_code ignored;
    return std::filesystem::exists(pathOf(name), ignored);
}

std::string allBytes(std::size_t size) {
    std::string out(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        out[i] = static_cast<char>((i * 7 + i / 256) & 0xff);
    return out;
}

}  // namespace wintest
