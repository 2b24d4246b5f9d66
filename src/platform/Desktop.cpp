#include "platform/Desktop.h"

#include <QDesktopServices>
#include <QProcess>
#include <QUrl>

namespace Desktop {

bool HasApplicationFor(const std::string& mimeType) {
    QProcess query;
    query.start("xdg-mime", {"query", "default", QString::fromStdString(mimeType)});
    if (!query.waitForStarted(2000) || !query.waitForFinished(5000)) return false;
    return query.exitCode() == 0 && !query.readAllStandardOutput().trimmed().isEmpty();
}

bool OpenFile(const std::string& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
}

}  // namespace Desktop
