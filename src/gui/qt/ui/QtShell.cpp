#include "ui/QtShell.h"

#include "ui/ControlText.h"

#include "listing/FileList.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QRegularExpression>

#include <algorithm>

namespace zentory::qt {

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

QStringList nameFiltersOf(const std::vector<window::SaveType>& types) {
    QStringList filters;
    for (const window::SaveType& type : types) {
        const QString description = fromBytes(type.description);
        const QString pattern = u"*."_qs + fromBytes(type.extension);
        filters << (description.contains(QChar(u'(') + pattern + QChar(u')'))
                        ? description
                        : description + u" ("_qs + pattern + QChar(u')'));
    }
    return filters;
}

QUrl urlToOpen(const std::string& fileOrAddress) {
    // A path is taken exactly as it is: a file name may end with a space.
    if (fileOrAddress.starts_with(kPathSeparator)) {
        return QUrl::fromLocalFile(fromPath(fileOrAddress));
    }
    const QString address = fromBytes(fileOrAddress).trimmed();
    if (address.startsWith(QChar(kPathSeparator))) {
        return QUrl::fromLocalFile(address);
    }
    // A scheme: a letter, then letters, digits, "+", "-" or ".", then ":".
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*:"));
    if (scheme.match(address).hasMatch()) {
        return QUrl(address, QUrl::TolerantMode);
    }
    if (address.isEmpty()) {
        return QUrl();
    }
    return QUrl(QStringLiteral("https://") + address, QUrl::TolerantMode);
}

std::optional<std::string> QtShell::browseForFolder(const std::string& title) {
    const QString folder = QFileDialog::getExistingDirectory(
        QApplication::activeWindow(), fromBytes(title), QString(),
        QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
    if (folder.isEmpty()) {
        return std::nullopt;
    }
    return toPath(folder);
}

std::optional<window::SaveChoice>
QtShell::askSaveFileName(const std::string& proposedName,
                         const std::vector<window::SaveType>& saveTypes) {
    QFileDialog dialog(QApplication::activeWindow());
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    const QStringList types = nameFiltersOf(saveTypes);
    dialog.setNameFilters(types);
    if (!saveTypes.empty()) {
        dialog.setDefaultSuffix(fromBytes(saveTypes.front().extension));
    }
    // A type chosen gives a name typed without an extension its own.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&](const QString& chosen) {
        const qsizetype type = types.indexOf(chosen);
        if (type >= 0 && !saveTypes[static_cast<size_t>(type)].extension.empty()) {
            dialog.setDefaultSuffix(fromBytes(saveTypes[static_cast<size_t>(type)].extension));
        }
    });
    dialog.selectFile(fromPath(proposedName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    const qsizetype type = types.indexOf(dialog.selectedNameFilter());
    return window::SaveChoice{toPath(dialog.selectedFiles().constFirst()),
                              static_cast<int>(std::max<qsizetype>(type, 0))};
}

void QtShell::messageBox(const std::string& text, const std::string& caption) {
    QMessageBox box(QMessageBox::NoIcon, fromBytes(caption), fromBytes(text), QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

void QtShell::fileErrorBox(const std::string& text) {
    QMessageBox box(QMessageBox::Warning, boxCaption(), fromBytes(text), QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

void QtShell::open(const std::string& fileOrAddress) {
    QDesktopServices::openUrl(urlToOpen(fileOrAddress));
}

} // namespace zentory::qt
