#pragma once
// A dialog of the window logic drawn with Qt: the template's widgets, with
// every button and menu item forwarded to the logic, and the DialogView that
// the logic acts through. A main window (one without an owner) also gets the
// program's icon, F1 for help and folders dropped from a file manager.

#include "DialogView.h"
#include "ui/FileListModel.h"
#include "ui/TemplateDialog.h"

#include <map>
#include <memory>

namespace zentory {

namespace window {
class CDialog;
}

namespace qt {

class DialogFrame : public TemplateDialog, public window::DialogView {
    Q_OBJECT

public:
    // Builds the template of `logic` and attaches itself as its view, until destroyed.
    DialogFrame(window::CDialog& logic, QWidget* pParent);
    ~DialogFrame() override;

    // The frame that draws `logic`, or null when it is not open.
    static DialogFrame* Of(const window::CDialog& logic);

    window::CDialog& Logic() const { return m_logic; }
    // The list's context menu; null for a dialog without one.
    QMenu* ListMenu() const { return m_listMenu; }

    void SetDlgItemText(int id, const std::string& text) override;
    std::string GetDlgItemText(int id) const override;
    void CheckDlgButton(int id, int state) override;
    int IsDlgButtonChecked(int id) const override;
    void EnableDlgItem(int id, bool enable) override;
    void UpdateDlgItem(int id) override;
    int AddComboString(int id, const std::string& text) override;
    int GetComboSelection(int id) const override;
    bool SelectComboString(int id, const std::string& text) override;
    void SetPopupText(int position, const std::string& text) override;
    void SetMenuItemText(int command, const std::string& text) override;
    void SetListColumn(int id, const std::string& header) override;
    void SetListFiles(int id, const FileList& files) override;
    void SetListCells(int id, const std::vector<std::string>& headers,
                      const window::ListCells& cells) override;
    std::vector<size_t> GetListSelection(int id) const override;
    void SetAccessibleName(int id, const std::string& name) override;
    void Announce(int id, const std::string& text) override;
    void EndDialog(int result) override { TemplateDialog::EndDialog(result); }

protected:
    bool StartDialog() override;
    void OnOK() override;
    void OnCancel() override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void ConnectCommands();
    void PrepareMainWindow();
    // The context menu of the stretching list, from the template the logic names.
    void PrepareListMenu();

    window::CDialog& m_logic;
    std::unique_ptr<FileListModel> m_listModel;
    QMenu* m_listMenu = nullptr;
    std::map<int, QAction*> m_listCommands; // the context menu's items by command id
};

} // namespace qt
} // namespace zentory
