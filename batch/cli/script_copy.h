// SPDX-License-Identifier: MIT
// `quarv -`: the script read from standard input, kept in a temporary file for the engine,
// which reads scripts from files. The file goes when the copy does.
#pragma once

#include <istream>
#include <string>

class ScriptCopy {
  public:
    // An empty path() when the copy could not be written.
    explicit ScriptCopy(std::istream& source);
    ~ScriptCopy();
    ScriptCopy(const ScriptCopy&) = delete;
    ScriptCopy& operator=(const ScriptCopy&) = delete;
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};
