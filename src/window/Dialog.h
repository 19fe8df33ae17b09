#pragma once
// A dialog of the program as behaviour only, with the dialog life of the
// desktop this program comes from: DoModal has the toolkit build the template
// and run OnInitDialog and the modal loop; data exchange moves members to
// controls and back; OK (and Enter) ends through OnOK, which reads the
// controls first, Cancel, Escape and the close box through OnCancel, which
// does not. A front end draws the dialog and forwards what the person did to
// OnCommand; the logic acts on the dialog only through its DialogView.

#include "DialogView.h"

#include <string>
#include <vector>

namespace zentory::window {

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;

class DataExchange;

class CDialog {
public:
    CDialog(int templateId, CDialog* pParentWnd)
        : m_nIDTemplate(templateId), m_pParentWnd(pParentWnd) {}
    virtual ~CDialog() = default;
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Runs the dialog until it ends: IDOK or IDCANCEL.
    int DoModal();
    // Moves the members into the controls (false) or the controls into the members (true).
    bool UpdateData(bool saveAndValidate = true);
    void EndDialog(int result);

    // Called by the front end: after the dialog's controls exist and before
    // it shows; returning true puts the focus on the first tab stop.
    virtual bool OnInitDialog();
    // How the front end starts the dialog; a dialog whose initialisation can
    // fail overrides this to report the failure and open all the same.
    virtual bool StartDialog() { return OnInitDialog(); }
    // Called by the front end once the dialog shows and its loop runs.
    virtual void OnShown() {}
    virtual void OnOK();
    virtual void OnCancel();
    // A button or menu item other than OK and Cancel.
    virtual void OnCommand(int /*id*/) {}
    // F1 while the dialog is in front.
    virtual bool OnHelpInfo() { return false; }
    // A folder dropped on the dialog; false when it takes none.
    virtual bool AcceptsDroppedFolders() const { return false; }
    virtual void OnDropFolder(const std::string& /*folder*/) {}
    // The list that grows with a resizable dialog; 0 for a dialog of fixed size.
    virtual int StretchingList() const { return 0; }
    // The menu template whose first drop-down is that list's context menu; 0 for none.
    virtual int ListContextMenu() const { return 0; }

    // The front end's side while the dialog is open, null otherwise.
    void Attach(DialogView* view) { m_view = view; }
    DialogView* View() const { return m_view; }

    const int m_nIDTemplate;
    // The name assistive technology announces the dialog by; empty: its caption.
    std::string m_strAccessibleName;
    // The dialog it shows over; null for the main window.
    CDialog* m_pParentWnd;

protected:
    virtual void DoDataExchange(DataExchange& /*dx*/) {}
    // The view; only while the dialog is open.
    DialogView& Ctl() const { return *m_view; }

private:
    DialogView* m_view = nullptr;
};

} // namespace zentory::window
