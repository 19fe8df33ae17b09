// The export options dialog, opened from the main window: what it shows, and
// that OK keeps the ticks while Cancel, Escape and the close box discard them.

#include "WindowTest.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>

#include <gtest/gtest.h>

using zentory::window::COptionsDlg;
using namespace zentory::test;

namespace {

struct Ticks {
    bool fullPath, extensions, dateTime, openAfterSaving;
    bool operator==(const Ticks&) const = default;
};

Ticks ticksOf(const OptionsControls& options) {
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
    void pressOptions(const std::function<void(OptionsControls&)>& inOptions) {
        whenModalOpens([&](QWidget* modal) {
            auto* frame = zentory::qt::DialogFrame::Of(dlg.m_optionsDlg);
            ASSERT_EQ(modal, frame);
            OptionsControls controls(*frame);
            inOptions(controls);
            if (modal->isVisible()) {
                ADD_FAILURE() << "the options dialog was left open";
                dlg.m_optionsDlg.EndDialog(zentory::window::IDCANCEL);
            }
        });
        dlg.m_btnOptions->click();
    }

    // Changes every tick.
    static void toggleAll(OptionsControls& options) {
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
        pressOptions([&](OptionsControls& options) {
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
            EXPECT_EQ(options.frame.windowTitle(), "Orvane Zentory");
            EXPECT_EQ(options.frame.DlgItem<QPushButton>(1)->text(), "OK");
            EXPECT_EQ(QApplication::focusWidget(), options.frame.DlgItem<QPushButton>(1));
            options.m_btnCancel->click();
        });
    });
}

TEST_F(OptionsDialog, OkKeepsTheTicksForTheExportAndTheNextOpening) {
    open([&] {
        pressOptions([&](OptionsControls& options) {
            toggleAll(options);
            QTest::keyClick(&options.frame, Qt::Key_Return);
        });
        EXPECT_EQ(valuesOf(dlg.m_optionsDlg), kToggled);
        pressOptions([&](OptionsControls& options) {
            EXPECT_EQ(ticksOf(options), kToggled);
            options.frame.DlgItem<QPushButton>(1)->click();
        });
        EXPECT_EQ(valuesOf(dlg.m_optionsDlg), kToggled);
    });
}

TEST_F(OptionsDialog, ALanguageChangeSwitchesThreeOptionsOnAgain) {
    open([&] {
        pressOptions([&](OptionsControls& options) {
            toggleAll(options);
            options.frame.DlgItem<QPushButton>(1)->click();
        });
        program.setLanguage("[1031]");
        dlg.OnInitDialog();
        pressOptions([&](OptionsControls& options) {
            EXPECT_EQ(ticksOf(options), (Ticks{true, true, true, true}));
            EXPECT_EQ(options.m_btnCancel->text(), "Abbrechen");
            options.frame.reject();
        });
    });
}

TEST_F(OptionsDialog, CancelEscapeAndTheCloseBoxDiscardTheTicks) {
    const std::function<void(OptionsControls&)> endings[] = {
        [](OptionsControls& options) { options.m_btnCancel->click(); },
        [](OptionsControls& options) { QTest::keyClick(options.m_chkDateTime, Qt::Key_Escape); },
        [](OptionsControls& options) { options.frame.close(); },
    };
    open([&] {
        for (const auto& end : endings) {
            pressOptions([&](OptionsControls& options) {
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
        pressOptions([&](OptionsControls& options) {
            // OK, Cancel, then the boxes in the order 1008, 1009, 1010, 1011.
            const QWidget* expected[] = {options.frame.DlgItem<QPushButton>(2),
                                         options.m_chkFullPath, options.m_chkDateTime,
                                         options.m_chkExtensions, options.m_chkOpenAfterSaving};
            for (const QWidget* next : expected) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                EXPECT_EQ(QApplication::focusWidget(), next);
            }
            EXPECT_LT(options.m_chkExtensions->y(), options.m_chkDateTime->y());
            options.frame.reject();
        });
    });
}

TEST_F(OptionsDialog, OpensCentredOnTheMainWindowEveryTime) {
    open([&] {
        for (int opening = 0; opening < 3; ++opening) {
            pressOptions([&](OptionsControls& options) {
                // The window manager may place the frame a moment after the window shows.
                (void)QTest::qWaitFor(
                    [&] { return options.frame.frameGeometry() != options.frame.geometry(); }, 200);
                const QPoint offset =
                    options.frame.frameGeometry().center() - dlg.frameGeometry().center();
                EXPECT_LE(offset.manhattanLength(), 2)
                    << "opening " << opening << ": " << offset.x() << ", " << offset.y();
                QTest::keyClick(&options.frame, Qt::Key_Escape);
            });
            // The person moves the main window between two openings.
            dlg.move(dlg.pos() + QPoint(40, 25));
            (void)QTest::qWaitFor([] { return false; }, 50);
        }
    });
}

} // namespace
