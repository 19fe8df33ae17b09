#include "DataExchange.h"

#include "DialogView.h"

namespace zentory::window {

void DataExchange::Text(int id, std::string& value) const {
    if (m_bSaveAndValidate) {
        value = m_view.GetDlgItemText(id);
    } else {
        m_view.SetDlgItemText(id, value);
    }
}

void DataExchange::Check(int id, int& value) const {
    if (m_bSaveAndValidate) {
        value = m_view.IsDlgButtonChecked(id);
    } else {
        m_view.CheckDlgButton(id, value);
    }
}

void DataExchange::CBString(int id, std::string& value) const {
    if (m_bSaveAndValidate) {
        value = m_view.GetDlgItemText(id);
    } else if (!m_view.SelectComboString(id, value)) {
        m_view.SetDlgItemText(id, value);
    }
}

} // namespace zentory::window
