#include "ui/QtShell.h"

#include "ui/ControlText.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QUrl>

namespace zentory::ui {

namespace {

QString fromPath(const std::string& path) {
    return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
}

std::string toPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

// The caption of the framework's own boxes: the program's name.
QString boxCaption() {
    return QCoreApplication::applicationName();
}

} // namespace

QStringList nameFiltersOf(const std::string& filter) {
    QStringList parts = fromBytes(filter).split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& description = parts[i];
        const QString patterns = parts[i + 1].split(u';', Qt::SkipEmptyParts).join(u' ');
        if (description.isEmpty()) {
            break;
        }
        filters << (description.contains(QChar(u'(') + patterns + QChar(u')'))
                        ? description
                        : description + u" ("_qs + patterns + QChar(u')'));
    }
    return filters;
}

QString fileErrorText(const platform::FileError& error) {
    return QStringLiteral("Cannot %1 the file \"%2\".\n\n%3.")
        .arg(fromBytes(error.operation()), fromPath(error.path()), fromBytes(error.reason()));
}

std::optional<std::string> QtShell::browseForFolder(const std::string& title) {
    const QString folder =
        QFileDialog::getExistingDirectory(QApplication::activeWindow(), fromBytes(title));
    if (folder.isEmpty()) {
        return std::nullopt;
    }
    return toPath(folder);
}

std::optional<std::string> QtShell::askSaveFileName(const std::string& proposedName,
                                                    const std::string& filter,
                                                    const std::string& defaultExt) {
    QFileDialog dialog(QApplication::activeWindow());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(nameFiltersOf(filter));
    dialog.setDefaultSuffix(fromBytes(defaultExt));
    dialog.selectFile(fromPath(proposedName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return toPath(dialog.selectedFiles().constFirst());
}

void QtShell::messageBox(const std::string& text, const std::string& caption) {
    QMessageBox box(QMessageBox::NoIcon, fromBytes(caption), fromBytes(text), QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

void QtShell::fileErrorBox(const platform::FileError& error) {
    QMessageBox box(QMessageBox::Warning, boxCaption(), fileErrorText(error), QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

void QtShell::open(const std::string& fileOrAddress) {
    const QString text = fromBytes(fileOrAddress);
    // An address names its scheme; anything else is a path on this machine.
    const QUrl url = text.contains(u"://") || text.startsWith(u"mailto:")
                         ? QUrl(text, QUrl::TolerantMode)
                         : QUrl::fromLocalFile(fromPath(fileOrAddress));
    QDesktopServices::openUrl(url);
}

} // namespace zentory::ui
