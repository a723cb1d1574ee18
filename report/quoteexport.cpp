#include "report/quoteexport.h"

#include "report/datareport.h"
#include "settings/registry.h"
#include "widgets/filedialog.h"

#include <QDir>
#include <QFileInfo>
#include <QObject>
#include <QStandardPaths>

namespace {
const QString kProgramKey = QStringLiteral("Dorvane\\PX");
const QString kExportFolder = QStringLiteral("ExportFolder");
const QString kExportType = QStringLiteral("ExportType");
// The report's error number for a file that cannot be written.
constexpr qint64 kFileAccessError = 75;
// Room for the folder within the usual limit of a whole path.
constexpr qsizetype kLongestBaseName = 120;

bool isFolder(const QString& path) {
    return !path.isEmpty() && QFileInfo(path).isDir();
}

// "htm" for "*.htm".
QString suffixOf(const ExportFormat& format) {
    return format.pattern.mid(2);
}

// The type exported last; PDF the first time.
ExportFormat lastFormat(const QList<ExportFormat>& formats) {
    QString key;
    ReadRegString(kProgramKey, kExportType, key);
    for (const ExportFormat& format : formats)
        if (format.key == key)
            return format;
    for (const ExportFormat& format : formats)
        if (format.type == ExportFormat::Pdf)
            return format;
    return formats.first();
}

void propose(FileDialogRequest& request, const ExportFormat& format, const QString& folder,
             const QString& baseName) {
    request.folder = folder;
    request.fileName = QDir(folder).filePath(baseName + QLatin1Char('.') + suffixOf(format));
    request.selectedFilter = format.description;
    request.defaultSuffix = suffixOf(format);
}
} // namespace

QString quoteExportFolder() {
    QString last;
    if (ReadRegString(kProgramKey, kExportFolder, last) && isFolder(last))
        return last;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return isFolder(documents) ? documents : QDir::homePath();
}

QString quoteFileBaseName(const QString& reference, const QString& customer) {
    QString name = QStringLiteral("Estimate ") + reference.trimmed();
    if (!customer.trimmed().isEmpty())
        name += QStringLiteral(" - ") + customer.trimmed();
    // What Windows forbids covers what macOS and Linux forbid.
    const QString forbidden = QStringLiteral("\\/:*?\"<>|");
    for (QChar& c : name)
        if (c.unicode() < 0x20)
            c = QLatin1Char(' ');
        else if (forbidden.contains(c))
            c = QLatin1Char('-');
    name = name.simplified().left(kLongestBaseName);
    // Windows drops dots and blanks at the end of a name.
    while (name.endsWith(QLatin1Char('.')) || name.endsWith(QLatin1Char(' ')))
        name.chop(1);
    return name;
}

bool exportQuoteAs(const ReportLayout& layout, const QList<ExportFormat>& formats,
                   const QString& baseName, QWidget* parent) {
    if (formats.isEmpty())
        return false;
    QStringList filters;
    for (const ExportFormat& format : formats)
        filters << format.description;
    FileDialogRequest request;
    request.mode = FileDialogRequest::Save;
    request.title = QObject::tr("Export Estimate");
    request.filter = filters.join(QStringLiteral(";;"));
    propose(request, lastFormat(formats), quoteExportFolder(), baseName);
    for (;;) {
        const QString path = askForFileName(request, parent);
        if (path.isEmpty())
            return false;
        const QFileInfo chosen(path);
        const std::optional<ExportFormat> format = exportFormatFor(path);
        QString error;
        if (exportReport(layout, path, &error)) {
            WriteRegString(kProgramKey, kExportFolder,
                           QDir::toNativeSeparators(chosen.absolutePath()));
            WriteRegString(kProgramKey, kExportType, format->key);
            return true;
        }
        DataReport1::DataReport_Error(kFileAccessError,
                                      QObject::tr("The quote could not be exported"), error);
        // Asked again with what was chosen, in a folder that exists.
        const QString folder =
            isFolder(chosen.absolutePath()) ? chosen.absolutePath() : quoteExportFolder();
        propose(request, format.value_or(lastFormat(formats)), folder,
                format ? chosen.completeBaseName() : chosen.fileName());
    }
}
