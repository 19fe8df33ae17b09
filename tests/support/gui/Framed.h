#pragma once
// The Qt window as its tests drive it: a dialog's logic and the Qt frame that
// draws it in one object, open for as long as the object lives, with the
// controls under the names the dialog's code gives them. DoModal runs the
// frame's modal loop; dialogs the logic opens run through the Qt toolkit.

#include "AboutDlg.h"
#include "ExportDlg.h"
#include "LanguageDlg.h"
#include "OptionsDlg.h"
#include "ResourceIds.h"
#include "ui/DialogFrame.h"

#include "ui/ReportView.h"
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>

#include <utility>

namespace zentory::test {

using window::CAboutDlg;
using window::CExportDlg;
using window::CLanguageDlg;
using window::COptionsDlg;
using window::IDCANCEL;
using window::IDOK;

template <class Behaviour> class Framed : public Behaviour, public qt::DialogFrame {
public:
    template <class... Args>
    explicit Framed(Args&&... args)
        : Behaviour(std::forward<Args>(args)...), qt::DialogFrame(static_cast<Behaviour&>(*this),
                                                                  nullptr) {}

    using Behaviour::OnInitDialog;
    using qt::DialogFrame::DoModal;
    using qt::DialogFrame::EndDialog;
};

// The main window's controls.
class QtExportDlg : public Framed<CExportDlg> {
public:
    explicit QtExportDlg(window::Shell& shell) : Framed(shell) {}

    QCheckBox* m_chkSubFolders = DlgItem<QCheckBox>(ids::Main::kSubFolders);
    QGroupBox* m_grpStep2 = DlgItem<QGroupBox>(ids::Main::kStep2);
    QGroupBox* m_grpStep1 = DlgItem<QGroupBox>(ids::Main::kStep1);
    QPushButton* m_btnSave = DlgItem<QPushButton>(ids::Main::kSaveTxtFile);
    QPushButton* m_btnReadList = DlgItem<QPushButton>(ids::Main::kReadFileList);
    QPushButton* m_btnOptions = DlgItem<QPushButton>(ids::Main::kOptions);
    qt::ReportView* m_listFiles = DlgItem<qt::ReportView>(ids::Main::kFileList);
};

// The language dialog's controls.
class QtLanguageDlg : public Framed<CLanguageDlg> {
public:
    // A translation file that cannot be read is reported in English.
    explicit QtLanguageDlg(window::Shell& shell) : Framed(shell, english()) {}

    static const CTranslator& english() {
        static const CTranslator catalogue;
        return catalogue;
    }

    QComboBox* m_comboLanguages = DlgItem<QComboBox>(ids::Language::kLanguages);
    QGroupBox* m_groupLanguages = DlgItem<QGroupBox>(ids::Language::kGroup);
};

// The options dialog's controls, in the frame the toolkit made for it.
struct OptionsControls {
    explicit OptionsControls(qt::DialogFrame& frame)
        : frame(frame), m_chkFullPath(frame.DlgItem<QCheckBox>(ids::Options::kFullPath)),
          m_chkOpenAfterSaving(frame.DlgItem<QCheckBox>(ids::Options::kOpenAfterSaving)),
          m_chkExtensions(frame.DlgItem<QCheckBox>(ids::Options::kExtensions)),
          m_chkDateTime(frame.DlgItem<QCheckBox>(ids::Options::kDateTime)),
          m_btnCancel(frame.DlgItem<QPushButton>(IDCANCEL)),
          m_grpOptions(frame.DlgItem<QGroupBox>(ids::Options::kGroup)) {}

    qt::DialogFrame& frame;
    QCheckBox* m_chkFullPath;
    QCheckBox* m_chkOpenAfterSaving;
    QCheckBox* m_chkExtensions;
    QCheckBox* m_chkDateTime;
    QPushButton* m_btnCancel;
    QGroupBox* m_grpOptions;
};

} // namespace zentory::test
