#pragma once
// What the window's tests share: the shared test support, and running a dialog
// modally from a test.

#include "Files.h"
#include "ProgramFolder.h"
#include "TextDiff.h"
#include "TreeDir.h"

#include "ui/TemplateDialog.h"

#include <QApplication>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace zentory::test {

// Waits until `window` is the active window. (QTest::qWaitForWindowActive is
// satisfied early by a dialog whose owner is still active.)
inline bool waitUntilActive(QWidget* window) {
    return QTest::qWaitFor([window] { return QApplication::activeWindow() == window; });
}

// Runs `dialog` modally through DoModal; `whileOpen` runs once it is up and
// active. A dialog still open after ten seconds fails the test and is ended.
// Returns DoModal's result.
inline int runModal(qt::TemplateDialog& dialog, const std::function<void()>& whileOpen) {
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
