// SPDX-License-Identifier: MIT
#include "recent_files.h"

#include <QFileInfo>
#include <QSettings>

namespace brisel::qt {
namespace {
const char* kGroup = "Recent File List";
}

CRecentFiles::CRecentFiles() {
    QSettings settings;
    settings.beginGroup(kGroup);
    for (int i = 1; i <= kSize; ++i) {
        QString file = settings.value(QStringLiteral("File%1").arg(i)).toString();
        if (!file.isEmpty()) files_.append(file);
    }
}

void CRecentFiles::Add(const QString& path) {
    QString full = QFileInfo(path).absoluteFilePath();
    files_.removeAll(full);
    files_.prepend(full);
    while (files_.size() > kSize)
        files_.removeLast();
    Store();
}

void CRecentFiles::Remove(const QString& path) {
    files_.removeAll(path);
    Store();
}

void CRecentFiles::Store() const {
    QSettings settings;
    settings.beginGroup(kGroup);
    for (int i = 1; i <= kSize; ++i) {
        QString key = QStringLiteral("File%1").arg(i);
        if (i <= files_.size())
            settings.setValue(key, files_[i - 1]);
        else
            settings.remove(key);
    }
}

}  // namespace brisel::qt
