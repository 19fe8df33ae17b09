#include "ui/DataExchange.h"

#include "ui/ControlText.h"

#include <QCheckBox>
#include <QComboBox>

namespace zentory::ui {

void DataExchange::Text(QWidget* control, std::string& value) const {
    if (m_bSaveAndValidate) {
        value = controlTextBytes(control);
    } else {
        setControlText(control, value);
    }
}

void DataExchange::Check(QAbstractButton* box, int& value) const {
    auto* check = qobject_cast<QCheckBox*>(box);
    if (m_bSaveAndValidate) {
        if (check != nullptr) {
            const Qt::CheckState state = check->checkState();
            value = state == Qt::Checked ? 1 : state == Qt::PartiallyChecked ? 2 : 0;
        } else {
            value = box->isChecked() ? 1 : 0;
        }
        return;
    }
    if (check != nullptr && value == 2) {
        check->setTristate(true);
        check->setCheckState(Qt::PartiallyChecked);
    } else {
        box->setChecked(value != 0);
    }
}

void DataExchange::CBString(QComboBox* combo, std::string& value) const {
    if (m_bSaveAndValidate) {
        value = controlTextBytes(combo);
        return;
    }
    const QString text = fromBytes(value);
    for (int i = 0; i < combo->count(); ++i) {
        if (combo->itemText(i).startsWith(text, Qt::CaseInsensitive)) {
            combo->setCurrentIndex(i);
            return;
        }
    }
    combo->setCurrentIndex(-1);
    combo->setEditText(text);
}

} // namespace zentory::ui
