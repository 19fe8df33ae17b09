#pragma once
// A modal dialog built from a dialog template, with the dialog life of the
// desktop this program comes from: DoModal runs StartDialog and then the modal
// loop; button 1 (and Enter) ends through OnOK, button 2, Escape and the close
// box through OnCancel.

#include "ui/ControlText.h"
#include "ui/DialogTemplate.h"

#include <QDialog>

class QAction;
class QMenu;
class QMenuBar;

namespace zentory::qt {

class TemplateDialog : public QDialog {
    Q_OBJECT

public:
    explicit TemplateDialog(int templateId, QWidget* pParent = nullptr);

    // Initialises the dialog, shows it centred on its owner window and runs it
    // until it ends; IDOK or IDCANCEL.
    int DoModal();
    // Puts the dialog in the middle of its owner window, when it has one that is shown.
    void CentreOnOwner();
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
    // How DoModal starts the dialog; returning true puts the focus on the
    // first tab stop.
    virtual bool StartDialog() { return true; }
    virtual void OnOK();
    virtual void OnCancel();

    // Enter ends the dialog through its default button, also a hidden one.
    void keyPressEvent(QKeyEvent* event) override;

    const BuiltDialog& Built() const { return m_built; }
    BuiltDialog& Built() { return m_built; }

private:
    void FocusFirstTabStop();

    BuiltDialog m_built;
};

} // namespace zentory::qt
