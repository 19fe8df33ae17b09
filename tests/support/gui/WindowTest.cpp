#include "WindowTest.h"

#include "ResourceIds.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>

namespace zentory::test {

int WindowTest::open(const std::function<void()>& whileOpen) {
    return runModal(dlg, [&] {
        whileOpen();
        if (dlg.isVisible()) {
            QTest::keyClick(&dlg, Qt::Key_Escape);
        }
    });
}

void WindowTest::read(std::optional<std::string> folder) {
    shell.folderAnswer = std::move(folder);
    dlg.m_btnReadList->click();
}

void WindowTest::readWithSubFolders(const std::string& folder) {
    dlg.m_chkSubFolders->setChecked(true);
    read(folder);
}

void WindowTest::save(std::optional<std::string> path) {
    shell.saveAnswer = std::move(path);
    dlg.m_btnSave->click();
}

std::string WindowTest::exportTo(const std::string& path) {
    save(path);
    return readBytes(path);
}

void WindowTest::selectLanguage(const std::function<void(QComboBox*)>& inDialog) {
    whenModalOpens([inDialog](QWidget* modal) {
        auto* combo = modal->findChild<QComboBox*>();
        ASSERT_NE(combo, nullptr);
        inDialog(combo);
    });
    dlg.MenuCommand(ids::Menu::kLanguageSelection)->trigger();
}

void WindowTest::choose(const char* name) {
    selectLanguage([name](QComboBox* combo) {
        combo->setCurrentIndex(combo->findText(QString::fromUtf8(name)));
        QTest::keyClick(combo, Qt::Key_Return);
    });
}

} // namespace zentory::test
