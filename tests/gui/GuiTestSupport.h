#pragma once
// A program folder of its own for each test (copies of the shipped config.ini
// and translation file in a temporary folder, which the program then takes as
// its executable's folder) and a way to run a dialog modally from a test.

#include "i18n/SettingsStore.h"
#include "platform/ExecutablePath.h"
#include "ui/TemplateDialog.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <string>

namespace zentory::test {

inline const QString kShippedRes = QStringLiteral(ZENTORY_SOURCE_DIR "/res");

class ProgramFolder {
public:
    // The shipped files with the stored language `tag`.
    explicit ProgramFolder(const std::string& tag = "[1033]") {
        for (const char* name : {"config.ini", "zentorytrl.ini"}) {
            QFile::copy(kShippedRes + '/' + name, m_dir.filePath(name));
            QFile(m_dir.filePath(name)).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        }
        platform::setExecutableFolderForTesting(path());
        setLanguage(tag);
    }
    ~ProgramFolder() { platform::setExecutableFolderForTesting(std::nullopt); }
    ProgramFolder(const ProgramFolder&) = delete;
    ProgramFolder& operator=(const ProgramFolder&) = delete;

    std::string path() const { return m_dir.path().toStdString(); }
    std::string file(const char* name) const { return m_dir.filePath(name).toStdString(); }
    void setLanguage(const std::string& tag) { CSettingsStore().WriteSetting("Language", tag); }
    void remove(const char* name) { QFile::remove(m_dir.filePath(name)); }
    void writeConfig(const QByteArray& bytes) { writeFile("config.ini", bytes); }
    void writeFile(const char* name, const QByteArray& bytes) {
        QFile f(m_dir.filePath(name));
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(bytes);
    }

private:
    QTemporaryDir m_dir;
};

// The bytes of the file at `path`; empty when it cannot be read.
inline QByteArray readBytes(const std::string& path) {
    QFile f(QString::fromStdString(path));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The names in `folder`, hidden ones included, sorted.
inline QStringList namesIn(const std::string& folder) {
    return QDir(QString::fromStdString(folder))
        .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                   QDir::Name);
}

// A temporary folder holding files at the given paths below it.
class TreeFolder {
public:
    explicit TreeFolder(std::initializer_list<const char*> files = {}) {
        for (const char* file : files) {
            add(file);
        }
    }
    // The folder's path, without a trailing separator.
    std::string path() const { return m_dir.path().toStdString(); }
    std::string operator/(const std::string& below) const { return path() + '/' + below; }
    // Makes the file `below` (and the folders on its way) holding `bytes`; a
    // path ending in "/" makes a folder.
    void add(const std::string& below, const QByteArray& bytes = {}) {
        const QString file = m_dir.filePath(QString::fromStdString(below));
        if (below.ends_with('/')) {
            QDir().mkpath(file);
            return;
        }
        QDir().mkpath(QFileInfo(file).path());
        QFile f(file);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(bytes);
    }

private:
    QTemporaryDir m_dir;
};

// Waits until `window` is the active window. (QTest::qWaitForWindowActive is
// satisfied early by a dialog whose owner is still active.)
inline bool waitUntilActive(QWidget* window) {
    return QTest::qWaitFor([window] { return QApplication::activeWindow() == window; });
}

// Runs `dialog` modally through DoModal; `whileOpen` runs once it is up and
// active. A dialog still open after ten seconds fails the test and is ended.
// Returns DoModal's result.
inline int runModal(ui::TemplateDialog& dialog, const std::function<void()>& whileOpen) {
    QTimer::singleShot(0, &dialog, [&dialog, whileOpen] {
        EXPECT_TRUE(waitUntilActive(&dialog));
        whileOpen();
    });
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &dialog, [&dialog] {
        ADD_FAILURE() << "the dialog did not end";
        if (auto* modal = QApplication::activeModalWidget(); modal && modal != &dialog) {
            modal->close();
        }
        dialog.EndDialog(-1);
    });
    guard.start(10000);
    return dialog.DoModal();
}

// Runs `whileOpen` once the next modal dialog is up; it gets that dialog.
inline void whenModalOpens(const std::function<void(QWidget*)>& whileOpen) {
    QTimer::singleShot(0, [whileOpen] {
        QWidget* modal = QApplication::activeModalWidget();
        EXPECT_NE(modal, nullptr);
        if (modal != nullptr) {
            EXPECT_TRUE(waitUntilActive(modal));
            whileOpen(modal);
        }
    });
}

} // namespace zentory::test
