// The export options dialog, opened from the main window: what it shows, and
// that OK keeps the ticks while Cancel, Escape and the close box discard them.

#include "WindowTest.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>

#include <gtest/gtest.h>

using zentory::COptionsDlg;
using namespace zentory::test;

namespace {

struct Ticks {
    bool fullPath, extensions, dateTime, openAfterSaving;
    bool operator==(const Ticks&) const = default;
};

Ticks ticksOf(const COptionsDlg& options) {
    return {options.m_chkFullPath->isChecked(), options.m_chkExtensions->isChecked(),
            options.m_chkDateTime->isChecked(), options.m_chkOpenAfterSaving->isChecked()};
}

Ticks valuesOf(const COptionsDlg& options) {
    return {options.m_bShowFullPath != 0, options.m_bShowExtensions != 0,
            options.m_bShowDateTime != 0, options.m_bOpenAfterSaving != 0};
}

class OptionsDialog : public WindowTest {
protected:
    // In the open main window: presses "Options" and runs `inOptions` in the options dialog.
    void pressOptions(const std::function<void(COptionsDlg&)>& inOptions) {
        whenModalOpens([&](QWidget* modal) {
            ASSERT_EQ(modal, &dlg.m_optionsDlg);
            inOptions(dlg.m_optionsDlg);
            if (modal->isVisible()) {
                ADD_FAILURE() << "the options dialog was left open";
                dlg.m_optionsDlg.EndDialog(zentory::ui::IDCANCEL);
            }
        });
        dlg.m_btnOptions->click();
    }

    // Changes every tick.
    static void toggleAll(COptionsDlg& options) {
        for (QCheckBox* box : {options.m_chkFullPath, options.m_chkExtensions,
                               options.m_chkDateTime, options.m_chkOpenAfterSaving}) {
            QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
        }
    }
};

const Ticks kDefaults = {false, true, true, true};
const Ticks kToggled = {true, false, false, false};

TEST_F(OptionsDialog, FirstOpeningShowsTheDefaultsAndTheTranslatedCaptions) {
    program.setLanguage("[1036]");
    open([&] {
        pressOptions([&](COptionsDlg& options) {
            EXPECT_EQ(ticksOf(options), kDefaults);
            EXPECT_EQ(options.m_grpOptions->title(), "Options");
            EXPECT_EQ(options.m_chkFullPath->text(),
                      "Écrire le chemin &complet de chaque fichier dans le fichier TXT");
            EXPECT_EQ(options.m_chkExtensions->text(),
                      "Noms de fichiers avec leur extension (*.exe, *.jpg etc.)");
            EXPECT_EQ(options.m_chkDateTime->text(),
                      "Écrire la &date et l'heure dans le fichier *.txt");
            EXPECT_EQ(options.m_chkOpenAfterSaving->text(),
                      "&Ouvrir le fichier *.txt après l'enregistrement");
            EXPECT_EQ(options.m_btnCancel->text(), "Annuler");
            // The caption and OK are the same in every language.
            EXPECT_EQ(options.windowTitle(), "Orvane Zentory");
            EXPECT_EQ(options.DlgItem<QPushButton>(1)->text(), "OK");
            EXPECT_EQ(QApplication::focusWidget(), options.DlgItem<QPushButton>(1));
            options.m_btnCancel->click();
        });
    });
}

TEST_F(OptionsDialog, OkKeepsTheTicksForTheExportAndTheNextOpening) {
    open([&] {
        pressOptions([&](COptionsDlg& options) {
            toggleAll(options);
            QTest::keyClick(&options, Qt::Key_Return);
        });
        EXPECT_EQ(valuesOf(dlg.m_optionsDlg), kToggled);
        pressOptions([&](COptionsDlg& options) {
            EXPECT_EQ(ticksOf(options), kToggled);
            options.DlgItem<QPushButton>(1)->click();
        });
        EXPECT_EQ(valuesOf(dlg.m_optionsDlg), kToggled);
    });
}

TEST_F(OptionsDialog, ALanguageChangeSwitchesThreeOptionsOnAgain) {
    open([&] {
        pressOptions([&](COptionsDlg& options) {
            toggleAll(options);
            options.DlgItem<QPushButton>(1)->click();
        });
        program.setLanguage("[1031]");
        dlg.OnInitDialog();
        pressOptions([&](COptionsDlg& options) {
            EXPECT_EQ(ticksOf(options), (Ticks{true, true, true, true}));
            EXPECT_EQ(options.m_btnCancel->text(), "Abbrechen");
            options.reject();
        });
    });
}

TEST_F(OptionsDialog, CancelEscapeAndTheCloseBoxDiscardTheTicks) {
    const std::function<void(COptionsDlg&)> endings[] = {
        [](COptionsDlg& options) { options.m_btnCancel->click(); },
        [](COptionsDlg& options) { QTest::keyClick(options.m_chkDateTime, Qt::Key_Escape); },
        [](COptionsDlg& options) { options.close(); },
    };
    open([&] {
        for (const auto& end : endings) {
            pressOptions([&](COptionsDlg& options) {
                EXPECT_EQ(ticksOf(options), kDefaults);
                toggleAll(options);
                end(options);
            });
            EXPECT_EQ(valuesOf(dlg.m_optionsDlg), kDefaults);
        }
    });
}

TEST_F(OptionsDialog, TabOrderFollowsTheTemplateNotThePositions) {
    open([&] {
        pressOptions([&](COptionsDlg& options) {
            // OK, Cancel, then the boxes in the order 1008, 1009, 1010, 1011.
            const QWidget* expected[] = {options.DlgItem<QPushButton>(2), options.m_chkFullPath,
                                         options.m_chkDateTime, options.m_chkExtensions,
                                         options.m_chkOpenAfterSaving};
            for (const QWidget* next : expected) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                EXPECT_EQ(QApplication::focusWidget(), next);
            }
            EXPECT_LT(options.m_chkExtensions->y(), options.m_chkDateTime->y());
            options.reject();
        });
    });
}

TEST_F(OptionsDialog, OpensCentredOnTheMainWindowEveryTime) {
    open([&] {
        for (int opening = 0; opening < 3; ++opening) {
            pressOptions([&](COptionsDlg& options) {
                // The window manager may place the frame a moment after the window shows.
                (void)QTest::qWaitFor([&] { return options.frameGeometry() != options.geometry(); },
                                      200);
                const QPoint offset =
                    options.frameGeometry().center() - dlg.frameGeometry().center();
                EXPECT_LE(offset.manhattanLength(), 2)
                    << "opening " << opening << ": " << offset.x() << ", " << offset.y();
                QTest::keyClick(&options, Qt::Key_Escape);
            });
            // The person moves the main window between two openings.
            dlg.move(dlg.pos() + QPoint(40, 25));
            (void)QTest::qWaitFor([] { return false; }, 50);
        }
    });
}

} // namespace
