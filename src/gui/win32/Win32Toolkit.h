#pragma once
// The window logic's toolkit on Win32: each dialog a template resource run by
// DialogBoxParamW; a folder read on a thread beside a message loop, so that
// the windows keep painting, while the program's dialogs are disabled and,
// once the read takes longer than a moment, a modeless progress window offers
// to cancel it.

#include "WinApi.h"

#include "DialogHost.h"
#include "Toolkit.h"

#include <memory>
#include <vector>

namespace zentory::win32 {

class Win32Toolkit : public window::Toolkit, public DialogHost {
public:
    // Installed for the program's run while it lives.
    Win32Toolkit() = default;

    int RunModal(window::CDialog& dlg) override;
    std::unique_ptr<window::BesideLoop> OpenBesideLoop(window::CDialog& owner) override;
    void BeginWaitCursor() override;
    void EndWaitCursor() override;
    std::string FormatCount(std::uint64_t count, const std::string& locale) const override;
    // The system's dialogs speak the system's language: nothing to change.
    void SetInterfaceLanguage(const std::string& /*locale*/) override {}
    void QuitAll() override;

    void Remember(DialogWindow& window) override;
    void Forget(DialogWindow& window) override;
    bool ShowBusyCursor() const override;

private:
    class ReadLoop;

    window::ToolkitInstallation m_installation{*this};
    std::vector<DialogWindow*> m_open;
    int m_waitDepth = 0;
    bool m_progressShown = false;
    bool m_quitting = false;
};

} // namespace zentory::win32
