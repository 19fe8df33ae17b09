#include "ui/ControlAnchors.h"

#include <QDialog>
#include <QEvent>
#include <QLayout>
#include <QWidget>

#include <algorithm>
#include <map>

namespace zentory::qt {

ControlAnchors::ControlAnchors(QDialog& dialog, const BuiltDialog& built, int listId)
    : QObject(&dialog), m_built(built) {
    std::vector<window::Rect> rects;
    size_t list = 0;
    for (const QWidget* control : built.controls) {
        // Where the control lies in the client area, whether a group box holds it or not.
        const QRect r = control->geometry().translated(
            control->parentWidget()->mapTo(built.client, QPoint(0, 0)));
        if (control == built.byId.at(listId)) {
            list = rects.size();
        }
        rects.push_back({r.x(), r.y(), r.width(), r.height()});
    }
    const QSize size = built.client->size();
    m_layout = std::make_unique<window::AnchoredLayout>(std::move(rects), list, size.width(),
                                                        size.height());
    // The template's size is the smallest; the frame may grow and be maximised.
    built.client->setMinimumSize(size);
    built.client->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    dialog.layout()->setSizeConstraint(QLayout::SetMinAndMaxSize);
    dialog.setWindowFlag(Qt::WindowMaximizeButtonHint);
    dialog.setSizeGripEnabled(false);
    built.client->installEventFilter(this);
}

bool ControlAnchors::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_built.client && event->type() == QEvent::Resize) {
        Place();
    }
    return QObject::eventFilter(watched, event);
}

void ControlAnchors::Place() {
    const QSize size = m_built.client->size();
    std::map<const QWidget*, QPoint> placed; // where each control now lies in the client area
    for (size_t i = 0; i < m_built.controls.size(); ++i) {
        const window::Rect r = m_layout->Place(i, size.width(), size.height());
        placed[m_built.controls[i]] = QPoint(r.left, r.top);
    }
    for (size_t i = 0; i < m_built.controls.size(); ++i) {
        QWidget* control = m_built.controls[i];
        const window::Rect r = m_layout->Place(i, size.width(), size.height());
        // A control inside a group box moves with the box's new place.
        const auto parent = placed.find(control->parentWidget());
        const QPoint origin = parent == placed.end() ? QPoint() : parent->second;
        control->setGeometry(r.left - origin.x(), r.top - origin.y(), r.width, r.height);
    }
}

} // namespace zentory::qt
