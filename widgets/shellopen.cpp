#include "widgets/shellopen.h"

#include "widgets/messagebox.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

UrlOpener& installedOpener() {
    static UrlOpener opener;
    return opener;
}

bool openWithDesktop(const QUrl& url) {
    if (const UrlOpener& opener = installedOpener())
        return opener(url);
    return QDesktopServices::openUrl(url);
}

void reportFailure(const QString& target) {
    const QString text = QStringLiteral("It is not possible to execute \"") + target +
                         QStringLiteral("\".\r\nFile doesn't exist or computer is not "
                                        "configured to work in Internet.");
    showMessage(text, QMessageBox::Ok, QMessageBox::Warning);
}

} // namespace

QUrl shellTargetUrl(const QString& target) {
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    const QString t = target.trimmed();
    if (scheme.match(t).hasMatch())
        return QUrl(t);
    if (t.startsWith(QStringLiteral("www."), Qt::CaseInsensitive))
        return QUrl(QStringLiteral("http://") + t);
    if (t.isEmpty())
        return QUrl();
    return QUrl::fromLocalFile(QFileInfo(t).absoluteFilePath());
}

void ShellOpen(const QString& target) {
    const QUrl url = shellTargetUrl(target);
    const bool missingFile = url.isLocalFile() && !QFileInfo::exists(url.toLocalFile());
    if (!url.isValid() || url.isEmpty() || missingFile || !openWithDesktop(url))
        reportFailure(target);
}

UrlOpener setUrlOpener(UrlOpener opener) {
    UrlOpener previous = std::move(installedOpener());
    installedOpener() = std::move(opener);
    return previous;
}
