#include "platform/Desktop.h"

#include <QDesktopServices>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace Desktop {

bool HasApplicationFor(const std::string& mimeType) {
    QProcess query;
    query.start("xdg-mime", {"query", "default", QString::fromStdString(mimeType)});
    if (!query.waitForStarted(2000) || !query.waitForFinished(5000)) return false;
    return query.exitCode() == 0 && !query.readAllStandardOutput().trimmed().isEmpty();
}

// A session whose platform cannot open documents itself (no desktop services) still has the
// desktop's opener.
bool OpenFile(const std::string& path) {
    const QString file = QString::fromStdString(path);
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(file))) return true;
    return QProcess::startDetached("xdg-open", {file});
}

std::string DocumentsFolder() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty()) folder = QDir::homePath();
    QDir().mkpath(folder);
    return folder.toStdString();
}

bool OpenUrl(const std::string& url) {
    return QDesktopServices::openUrl(QUrl(QString::fromStdString(url), QUrl::StrictMode));
}

}  // namespace Desktop
