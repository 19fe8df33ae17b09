#include "ui/Accessibility.h"

#include "ui/TemplateDialog.h"

#include <QAccessibleWidget>

namespace zentory::ui {

namespace {

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

QAccessibleInterface* dialogAccessible(const QString& /*className*/, QObject* object) {
    if (auto* dialog = qobject_cast<TemplateDialog*>(object)) {
        return new ShownChildren(dialog, QAccessible::Dialog);
    }
    // The client area below the menu bar, a plain widget, holds the controls.
    auto* area = qobject_cast<QWidget*>(object);
    if (area != nullptr && area->metaObject() == &QWidget::staticMetaObject &&
        qobject_cast<TemplateDialog*>(area->parent()) != nullptr) {
        return new ShownChildren(area, QAccessible::Client);
    }
    return nullptr;
}

} // namespace

void installDialogAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(dialogAccessible);
        return true;
    }();
    (void)installed;
}

} // namespace zentory::ui
