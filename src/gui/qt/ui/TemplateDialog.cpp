#include "ui/TemplateDialog.h"

#include "Dialog.h"
#include "ui/Accessibility.h"

#include <QKeyEvent>
#include <QLayout>
#include <QMenuBar>
#include <QPushButton>

namespace zentory::qt {

TemplateDialog::TemplateDialog(int templateId, QWidget* pParent)
    : QDialog(pParent), m_built(buildDialog(*this, loadDialogTemplate(templateId))) {
    installDialogAccessibility(staticMetaObject);
    if (auto* ok = DlgItem<QPushButton>(window::IDOK)) {
        connect(ok, &QPushButton::clicked, this, &TemplateDialog::OnOK);
    }
    if (auto* cancel = DlgItem<QPushButton>(window::IDCANCEL)) {
        connect(cancel, &QPushButton::clicked, this, &TemplateDialog::OnCancel);
    }
}

int TemplateDialog::DoModal() {
    if (StartDialog()) {
        FocusFirstTabStop();
    }
    CentreOnOwner();
    return exec();
}

void TemplateDialog::CentreOnOwner() {
    const QWidget* owner = parentWidget() != nullptr ? parentWidget()->window() : nullptr;
    if (owner == nullptr || !owner->isVisible()) {
        return;
    }
    // Placed by its client area: the frame of a dialog that has not been shown
    // yet is unknown, so it is taken to be the owner's, as the window manager
    // draws them alike. Moving by the frame would shift the first opening.
    const QRect ownerFrame = owner->frameGeometry();
    const QRect ownerClient = owner->geometry();
    const QMargins frame(
        ownerClient.left() - ownerFrame.left(), ownerClient.top() - ownerFrame.top(),
        ownerFrame.right() - ownerClient.right(), ownerFrame.bottom() - ownerClient.bottom());
    // The layout gives the dialog its fixed size, otherwise only at the first showing.
    if (layout() != nullptr) {
        layout()->activate();
    }
    QRect framed = QRect(QPoint(), size()).marginsAdded(frame);
    framed.moveCenter(ownerFrame.center());
    setGeometry(framed.marginsRemoved(frame));
}

void TemplateDialog::EndDialog(int result) {
    done(result);
}

QWidget* TemplateDialog::GetDlgItem(int id) const {
    auto it = m_built.byId.find(id);
    return it == m_built.byId.end() ? nullptr : it->second;
}

QMenu* TemplateDialog::GetSubMenu(int position) const {
    return position >= 0 && static_cast<size_t>(position) < m_built.popups.size()
               ? m_built.popups[static_cast<size_t>(position)]
               : nullptr;
}

QAction* TemplateDialog::MenuCommand(int id) const {
    auto it = m_built.commands.find(id);
    return it == m_built.commands.end() ? nullptr : it->second;
}

void TemplateDialog::OnOK() {
    EndDialog(window::IDOK);
}

void TemplateDialog::OnCancel() {
    EndDialog(window::IDCANCEL);
}

void TemplateDialog::keyPressEvent(QKeyEvent* event) {
    const auto modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const bool enter = (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
                       modifiers == Qt::NoModifier;
    if (!enter) {
        QDialog::keyPressEvent(event);
        return;
    }
    // Qt passes over a hidden default button; this dialog's default button
    // answers Enter whether it is shown or not.
    for (auto* button : findChildren<QPushButton*>()) {
        if (button->isDefault()) {
            if (button->isEnabled()) {
                button->click();
            }
            return;
        }
    }
    OnOK();
}

void TemplateDialog::FocusFirstTabStop() {
    for (QWidget* w : m_built.controls) {
        if ((w->focusPolicy() & Qt::TabFocus) && w->isEnabled() && w->isVisibleTo(this)) {
            w->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

} // namespace zentory::qt
