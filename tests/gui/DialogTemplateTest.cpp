// The template builder: dialog units scaled by the font, the menu bar above the
// client area, template order as tab order and stacking, the texts of statics,
// and the data exchange with check boxes and combo boxes.

#include "ui/DialogTemplate.h"
#include "DataExchange.h"
#include "Framed.h"
#include "RecordingShell.h"
#include "ui/ControlText.h"
#include "ui/QtShell.h"
#include "ui/TemplateDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QTreeView>

#include <gtest/gtest.h>

namespace qt = zentory::qt;

namespace {

TEST(DialogUnits, ScaleByAverageCharacterWidthAndFontHeight) {
    QFont font = QApplication::font();
    font.setPointSize(8);
    const qt::DialogUnits units(font);
    const QFontMetrics metrics(font);
    const int alphabet =
        metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    EXPECT_EQ(units.baseX(), (alphabet / 26 + 1) / 2);
    EXPECT_EQ(units.baseY(), metrics.height());

    // Each value is rounded on its own, halves away from zero.
    const qt::DialogUnits six = [&] {
        for (int size = 6; size < 20; ++size) {
            font.setPointSize(size);
            qt::DialogUnits u(font);
            if (u.baseX() == 6) {
                return u;
            }
        }
        return qt::DialogUnits(font);
    }();
    ASSERT_EQ(six.baseX(), 6) << "no font size with an average width of 6 pixels";
    EXPECT_EQ(six.toPixels(QRect(7, 0, 1, 0)).x(), 11);        // 10.5 rounds up
    EXPECT_EQ(six.toPixels(QRect(0, 0, 346, 0)).width(), 519); // 346 * 6 / 4
}

TEST(DialogTemplates, EveryTemplateLoadsWithItsControls) {
    EXPECT_EQ(qt::loadDialogTemplate(100).controls.size(), 5u);
    EXPECT_EQ(qt::loadDialogTemplate(102).controls.size(), 13u);
    EXPECT_EQ(qt::loadDialogTemplate(132).controls.size(), 7u);
    EXPECT_EQ(qt::loadDialogTemplate(134).controls.size(), 3u);
    EXPECT_EQ(qt::loadDialogTemplate(102).menu, 130);
    EXPECT_EQ(qt::loadMenuTemplate(130).popups.size(), 2u);
    EXPECT_EQ(qt::loadString(101), "&About ...");
    EXPECT_EQ(qt::loadString(999), "");
    EXPECT_FALSE(qt::loadIcon(128).isNull());
}

TEST(DialogTemplates, UnknownClassOrStyleIsRefused) {
    EXPECT_THROW(qt::parseDialogTemplate(R"({"size": [10, 10], "controls": [
        {"class": "button", "rect": [0, 0, 1, 1], "style": ["BS_RADIOBUTTON"]}]})"),
                 std::runtime_error);
    EXPECT_THROW(qt::parseDialogTemplate(R"({"size": [10, 10], "controls": [
        {"class": "scrollbar", "rect": [0, 0, 1, 1]}]})"),
                 std::runtime_error);
    EXPECT_THROW(qt::parseDialogTemplate("{"), std::runtime_error);
    EXPECT_THROW(qt::loadDialogTemplate(4711), std::runtime_error);
}

TEST(DialogTemplates, MainWindowIsItsClientAreaBelowTheMenuBar) {
    qt::TemplateDialog dlg(102);
    dlg.show();
    const auto tmpl = qt::loadDialogTemplate(102);
    const qt::DialogUnits units(qt::dialogFont(tmpl));
    QWidget* list = dlg.GetDlgItem(1004);
    QWidget* client = list->parentWidget();
    EXPECT_EQ(client->size(), units.toPixels(QSize(346, 219)));
    EXPECT_EQ(list->geometry(), units.toPixels(QRect(20, 72, 309, 68)));
    EXPECT_EQ(dlg.GetDlgItem(1007)->geometry(), units.toPixels(QRect(157, 191, 80, 15)));
    ASSERT_NE(dlg.GetMenu(), nullptr);
    EXPECT_EQ(client->y(), dlg.GetMenu()->height());
    EXPECT_EQ(dlg.size(), QSize(client->width(), client->height() + dlg.GetMenu()->height()));
    EXPECT_GT(dlg.GetMenu()->height(), 0);
    // The hidden buttons stay hidden; the controls use the dialog font.
    EXPECT_FALSE(dlg.GetDlgItem(1)->isVisible());
    EXPECT_FALSE(dlg.GetDlgItem(2)->isVisible());
    EXPECT_TRUE(list->isVisible());
    EXPECT_EQ(list->font().pointSize(), 8);
}

TEST(DialogTemplates, GroupBoxesDoNotCoverTheControlsInsideThem) {
    qt::TemplateDialog dlg(102);
    dlg.show();
    for (int id : {1002, 1003, 1004, 1005, 1007}) {
        QWidget* control = dlg.GetDlgItem(id);
        QWidget* hit = control->parentWidget()->childAt(control->geometry().center());
        EXPECT_TRUE(hit == control || control->isAncestorOf(hit)) << "control " << id;
    }
}

TEST(DialogTemplates, StaticsHideAmpersandsUnlessTheyKeepThem) {
    EXPECT_EQ(qt::withoutPrefixes("Save && E&xit"), "Save & Exit");
    EXPECT_EQ(qt::withoutPrefixes("&"), "");

    qt::TemplateDialog about(100);
    auto labelWith = [&](const QString& text) {
        for (auto* label : about.findChildren<QLabel*>()) {
            if (label->text() == text) {
                return label;
            }
        }
        return static_cast<QLabel*>(nullptr);
    };
    QLabel* product = labelWith("Orvane Zentory Version 1.01");
    QLabel* credit = labelWith("Written by the Zentory team");
    ASSERT_TRUE(product && credit);
    qt::setControlText(product, QString("R&D && Co"));
    EXPECT_EQ(product->text(), "R&D && Co") << "SS_NOPREFIX shows the text as it is";
    qt::setControlText(credit, QString("R&D && Co"));
    EXPECT_EQ(credit->text(), "RD & Co");
    EXPECT_EQ(qt::controlText(credit), "R&D && Co");
}

TEST(DataExchange, MovesCheckBoxesAndTextsBothWays) {
    zentory::test::Framed<zentory::window::COptionsDlg> dlg;
    auto* box = dlg.DlgItem<QCheckBox>(1008);
    int value = 1;
    zentory::window::DataExchange(dlg, false).Check(1008, value);
    EXPECT_TRUE(box->isChecked());
    box->setChecked(false);
    zentory::window::DataExchange(dlg, true).Check(1008, value);
    EXPECT_EQ(value, 0);

    std::string text = "Gr\xc3\xb6\xc3\x9f\x65";
    zentory::window::DataExchange(dlg, false).Text(1007, text);
    EXPECT_EQ(dlg.DlgItem<QGroupBox>(1007)->title(), QString::fromUtf8("Größe"));
    std::string back;
    zentory::window::DataExchange(dlg, true).Text(1007, back);
    EXPECT_EQ(back, text);
}

TEST(DataExchange, ComboBoxSelectsTheFirstEntryBeginningWithTheTextIgnoringCase) {
    zentory::test::RecordingShell shell;
    const zentory::CTranslator english;
    zentory::test::Framed<zentory::window::CLanguageDlg> dlg(shell, english);
    auto* combo = dlg.DlgItem<QComboBox>(1017);
    for (const char* name : {"français", "English", "Deutsch", "deutsch (Schweiz)"}) {
        dlg.AddComboString(1017, name);
    }
    // The list is sorted without regard to case; adding selects nothing.
    EXPECT_EQ(combo->itemText(0), "Deutsch");
    EXPECT_EQ(combo->itemText(1), "deutsch (Schweiz)");
    EXPECT_EQ(combo->itemText(3), QString::fromUtf8("français"));
    EXPECT_EQ(combo->currentIndex(), -1);
    EXPECT_EQ(combo->currentText(), "");

    std::string selection = "DEUTSCH";
    zentory::window::DataExchange(dlg, false).CBString(1017, selection);
    EXPECT_EQ(combo->currentIndex(), 0);
    zentory::window::DataExchange(dlg, true).CBString(1017, selection);
    EXPECT_EQ(selection, "Deutsch");
    EXPECT_EQ(dlg.GetComboSelection(1017), 2) << "the entry in the order of adding";

    selection = "System default language";
    zentory::window::DataExchange(dlg, false).CBString(1017, selection);
    EXPECT_EQ(combo->currentIndex(), -1);
    EXPECT_EQ(combo->currentText(), "System default language");
}

TEST(QtShellFilters, DescriptionsGetTheirPatterns) {
    EXPECT_EQ(qt::nameFiltersOf({{"TXT files (*.txt)", "txt"}}), QStringList{"TXT files (*.txt)"});
    EXPECT_EQ(qt::nameFiltersOf({{"Text", "txt"}, {"Lists (*.csv)", "json"}}),
              (QStringList{"Text (*.txt)", "Lists (*.csv) (*.json)"}));
}

} // namespace
