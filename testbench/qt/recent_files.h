// SPDX-License-Identifier: MIT
// The recent-file list: the last four logs opened or saved, kept in the program's settings.
#pragma once

#include <QStringList>

namespace brisel::qt {

class CRecentFiles {
  public:
    static constexpr int kSize = 4;
    CRecentFiles();
    const QStringList& Files() const { return files_; }
    // Moves (or adds) the file to the top of the list and stores the list.
    void Add(const QString& path);
    void Remove(const QString& path);

  private:
    void Store() const;
    QStringList files_;
};

}  // namespace brisel::qt
