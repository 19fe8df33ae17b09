#include "ui/Accessibility.h"

#include "ui/ControlText.h"
#include "ui/ReportAccessible.h"

#include <QAccessibleWidget>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>

namespace zentory::qt {

namespace {

// The class of the template dialogs, once installed.
const QMetaObject* templateDialogClass = nullptr;

// The object name of the unseen label that names a combo box.
constexpr const char* kNamingLabel = "accessibleNameOfComboBox";

// A dialog, or its client area, whose children are the controls it shows, or
// shows once it opens.
class ShownChildren : public QAccessibleWidget {
public:
    ShownChildren(QWidget* widget, QAccessible::Role role) : QAccessibleWidget(widget, role) {}

    int childCount() const override { return static_cast<int>(Shown().size()); }
    QAccessibleInterface* child(int index) const override {
        const QList<QAccessibleInterface*> shown = Shown();
        return index >= 0 && index < shown.size() ? shown[index] : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return static_cast<int>(Shown().indexOf(child));
    }

private:
    QList<QAccessibleInterface*> Shown() const {
        QList<QAccessibleInterface*> shown;
        for (int i = 0; i < QAccessibleWidget::childCount(); ++i) {
            QAccessibleInterface* child = QAccessibleWidget::child(i);
            const auto* control =
                child != nullptr ? qobject_cast<QWidget*>(child->object()) : nullptr;
            if (control != nullptr && control->isVisibleTo(widget())) {
                shown.append(child);
            }
        }
        return shown;
    }
};

// A group box of a template dialog: a grouping named by its title, whose
// children are the controls inside its frame.
class ShownGroup : public ShownChildren {
public:
    explicit ShownGroup(QGroupBox* group) : ShownChildren(group, QAccessible::Grouping) {}

    QString text(QAccessible::Text t) const override {
        const QString own = ShownChildren::text(t);
        if (t != QAccessible::Name || !own.isEmpty()) {
            return own;
        }
        return withoutPrefixes(static_cast<QGroupBox*>(widget())->title());
    }
};

bool inTemplateDialog(const QWidget* widget) {
    return widget != nullptr && widget->window() != nullptr &&
           templateDialogClass->cast(widget->window()) != nullptr;
}

QAccessibleInterface* dialogAccessible(const QString& /*className*/, QObject* object) {
    if (auto* dialog = qobject_cast<QWidget*>(templateDialogClass->cast(object))) {
        return new ShownChildren(dialog, QAccessible::Dialog);
    }
    if (auto* group = qobject_cast<QGroupBox*>(object); inTemplateDialog(group)) {
        return new ShownGroup(group);
    }
    if (QAccessibleInterface* list = reportAccessible(object)) {
        return list;
    }
    // The client area below the menu bar, a plain widget, holds the controls.
    auto* area = qobject_cast<QWidget*>(object);
    if (area != nullptr && area->metaObject() == &QWidget::staticMetaObject &&
        templateDialogClass->cast(area->parent()) != nullptr) {
        return new ShownChildren(area, QAccessible::Client);
    }
    return nullptr;
}

} // namespace

void setAccessibleNameOf(QWidget* control, const QString& name) {
    control->setAccessibleName(name);
    auto* combo = qobject_cast<QComboBox*>(control);
    if (combo == nullptr || combo->parentWidget() == nullptr) {
        return;
    }
    // A group box with that title around the box names it already.
    if (auto* group = qobject_cast<QGroupBox*>(combo->parentWidget());
        group != nullptr && withoutPrefixes(group->title()) == name) {
        return;
    }
    // On Linux Qt gives a combo box's entry as its name and takes what names
    // the box from a label that has the box as its buddy: an unseen one here,
    // which the dialog does not list among its controls.
    QLabel* label = nullptr;
    for (QLabel* naming :
         combo->parentWidget()->findChildren<QLabel*>(kNamingLabel, Qt::FindDirectChildrenOnly)) {
        label = naming->buddy() == combo ? naming : label;
    }
    if (label == nullptr) {
        label = new QLabel(combo->parentWidget());
        label->setObjectName(kNamingLabel);
        label->hide();
        label->setBuddy(combo);
    }
    // A label's "&" marks its mnemonic.
    label->setText(QString(name).replace(u'&', QStringLiteral("&&")));
}

void installDialogAccessibility(const QMetaObject& dialogClass) {
    static const bool installed = [&] {
        templateDialogClass = &dialogClass;
        QAccessible::installFactory(dialogAccessible);
        return true;
    }();
    (void)installed;
}

} // namespace zentory::qt
