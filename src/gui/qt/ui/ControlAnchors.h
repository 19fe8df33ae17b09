#pragma once
// A built dialog made resizable: its template size becomes its smallest, it
// may be maximised, and its controls follow the client area's size by the
// window logic's anchoring rule, the list `listId` growing with it.

#include "Anchoring.h"
#include "ui/DialogTemplate.h"

#include <QObject>

#include <memory>

class QDialog;

namespace zentory::qt {

class ControlAnchors : public QObject {
    Q_OBJECT

public:
    ControlAnchors(QDialog& dialog, const BuiltDialog& built, int listId);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Place();

    const BuiltDialog& m_built;
    std::unique_ptr<window::AnchoredLayout> m_layout;
};

} // namespace zentory::qt
