#pragma once
// A modal dialog built from a dialog template, with the dialog life of the
// desktop this program comes from: DoModal runs OnInitDialog and then the modal
// loop; data exchange moves members to controls and back; button 1 (and Enter)
// ends through OnOK, which reads the controls first, button 2, Escape and the
// close box through OnCancel, which does not.

#include "ui/ControlText.h"
#include "ui/DataExchange.h"
#include "ui/DialogTemplate.h"

#include <QDialog>

class QAction;
class QMenu;
class QMenuBar;

namespace zentory::ui {

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;

class TemplateDialog : public QDialog {
    Q_OBJECT

public:
    explicit TemplateDialog(int templateId, QWidget* pParent = nullptr);

    // Initialises the dialog, shows it centred on its owner window and runs it
    // until it ends; IDOK or IDCANCEL.
    int DoModal();
    // Puts the dialog in the middle of its owner window, when it has one that is shown.
    void CentreOnOwner();
    // Moves the members into the controls (false) or the controls into the members (true).
    bool UpdateData(bool saveAndValidate = true);
    // Ends the modal loop with `result`.
    void EndDialog(int result);

    // The control with template id `id`, or null.
    QWidget* GetDlgItem(int id) const;
    template <class T> T* DlgItem(int id) const { return qobject_cast<T*>(GetDlgItem(id)); }
    // The menu bar, its drop-down menu at `position` and the item of command `id`.
    QMenuBar* GetMenu() const { return m_built.menuBar; }
    QMenu* GetSubMenu(int position) const;
    QAction* MenuCommand(int id) const;

    // Qt's endings go the framework's way.
    void accept() override { OnOK(); }
    void reject() override { OnCancel(); }

protected:
    // Shows the members in the controls. Returning true puts the focus on the
    // first tab stop.
    virtual bool OnInitDialog();
    virtual void DoDataExchange(DataExchange& dx);
    virtual void OnOK();
    virtual void OnCancel();
    // How DoModal starts the dialog; a dialog whose initialisation can fail
    // overrides this to report the failure and open all the same.
    virtual bool StartDialog() { return OnInitDialog(); }

    // Enter ends the dialog through its default button, also a hidden one.
    void keyPressEvent(QKeyEvent* event) override;

    const BuiltDialog& Built() const { return m_built; }

private:
    void FocusFirstTabStop();

    BuiltDialog m_built;
};

} // namespace zentory::ui
