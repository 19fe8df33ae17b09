#include "Dialog.h"

#include "DataExchange.h"
#include "Toolkit.h"

namespace zentory::window {

int CDialog::DoModal() {
    return Toolkit::Current().RunModal(*this);
}

bool CDialog::UpdateData(bool saveAndValidate) {
    if (m_view == nullptr) {
        return false;
    }
    DataExchange dx(*m_view, saveAndValidate);
    DoDataExchange(dx);
    return true;
}

void CDialog::EndDialog(int result) {
    if (m_view != nullptr) {
        m_view->EndDialog(result);
    }
}

bool CDialog::OnInitDialog() {
    if (m_view != nullptr && !m_strAccessibleName.empty()) {
        m_view->SetAccessibleName(0, m_strAccessibleName);
    }
    UpdateData(false);
    return true;
}

void CDialog::OnOK() {
    if (UpdateData(true)) {
        EndDialog(IDOK);
    }
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

} // namespace zentory::window
