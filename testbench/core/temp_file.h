// SPDX-License-Identifier: MIT
// A uniquely named temporary file that is deleted when the object goes away.
#pragma once

#include <string>

namespace brisel {

class CTempFile {
  public:
    // Creates an empty file named prefix + a unique part in the system's temporary directory.
    // Path() is empty when that fails.
    explicit CTempFile(const std::string& prefix);
    CTempFile(const CTempFile&) = delete;
    CTempFile& operator=(const CTempFile&) = delete;
    ~CTempFile();
    const std::string& Path() const { return path_; }
    // The whole file, read in chunks of `chunk` bytes, each appended as text (up to a zero byte).
    std::string ReadAsText(std::size_t chunk) const;

  private:
    std::string path_;
};

}  // namespace brisel
