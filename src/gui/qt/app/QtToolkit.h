#pragma once
// The window logic's toolkit on Qt: each dialog a DialogFrame run by its own
// modal loop; a folder read on a thread beside the event loop, so that the
// window keeps painting and can be moved while the walk runs; meanwhile no
// input reaches the program's windows but the progress window, which appears
// once the read has taken longer than a moment and offers to cancel it.

#include "Toolkit.h"
#include "ui/QtTranslations.h"

namespace zentory::qt {

class QtToolkit : public window::Toolkit {
public:
    // Installed for the program's run while it lives.
    QtToolkit() = default;

    int RunModal(window::CDialog& dlg) override;
    std::unique_ptr<window::BesideLoop> OpenBesideLoop(window::CDialog& owner) override;
    void BeginWaitCursor() override;
    void EndWaitCursor() override;
    std::string FormatCount(std::uint64_t count, const std::string& locale) const override;
    void SetInterfaceLanguage(const std::string& locale) override;
    void QuitAll() override;

private:
    window::ToolkitInstallation m_installation{*this};
    // Qt's own texts in the interface language.
    QtTranslations m_qtTranslations;
};

} // namespace zentory::qt
