#include "ui/ControlText.h"

#include "ui/ElidingLabel.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

namespace zentory::qt {

QString withoutPrefixes(const QString& text) {
    QString shown;
    shown.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'&') {
            if (i + 1 < text.size() && text[i + 1] == u'&') {
                shown += u'&';
                ++i;
            }
            continue;
        }
        shown += text[i];
    }
    return shown;
}

void setControlText(QWidget* control, const QString& text) {
    if (auto* label = qobject_cast<QLabel*>(control)) {
        label->setProperty(kRawTextProperty, text);
        const bool noPrefix = label->property(kNoPrefixProperty).toBool();
        if (label->buddy() != nullptr && !noPrefix) {
            // The label shows its mnemonic and names the field it leads to.
            label->setText(text);
            label->buddy()->setAccessibleName(withoutPrefixes(text));
            return;
        }
        const QString shown = noPrefix ? text : withoutPrefixes(text);
        if (auto* eliding = qobject_cast<ElidingLabel*>(label)) {
            eliding->setFullText(shown);
        } else {
            label->setText(shown);
        }
    } else if (auto* group = qobject_cast<QGroupBox*>(control)) {
        group->setTitle(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        button->setText(text);
    } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
        combo->setEditText(text);
    } else if (auto* field = qobject_cast<QLineEdit*>(control)) {
        field->setText(text);
    } else {
        control->setProperty(kRawTextProperty, text);
    }
}

QString controlText(const QWidget* control) {
    if (auto* group = qobject_cast<const QGroupBox*>(control)) {
        return group->title();
    }
    if (auto* button = qobject_cast<const QAbstractButton*>(control)) {
        return button->text();
    }
    if (auto* combo = qobject_cast<const QComboBox*>(control)) {
        return combo->currentText();
    }
    if (auto* field = qobject_cast<const QLineEdit*>(control)) {
        return field->text();
    }
    return control->property(kRawTextProperty).toString();
}

QString fromBytes(std::string_view bytes) {
    return QString::fromLocal8Bit(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string toBytes(const QString& text) {
    return text.toLocal8Bit().toStdString();
}

void setControlText(QWidget* control, const std::string& text) {
    setControlText(control, fromBytes(text));
}

std::string controlTextBytes(const QWidget* control) {
    return toBytes(controlText(control));
}

int addComboString(QComboBox* combo, const QString& text) {
    int index = combo->count();
    if (combo->property(kSortedProperty).toBool()) {
        index = 0;
        while (index < combo->count() &&
               QString::compare(combo->itemText(index), text, Qt::CaseInsensitive) <= 0) {
            ++index;
        }
    }
    // Adding to the list leaves the field and the selection alone.
    const int current = combo->currentIndex();
    const QString field = combo->currentText();
    combo->insertItem(index, text);
    if (current == -1) {
        combo->setCurrentIndex(-1);
        if (combo->isEditable()) {
            combo->setEditText(field);
        }
    }
    return index;
}

} // namespace zentory::qt
