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
    bool RunBesideLoop(window::CDialog& owner, std::function<void()> work,
                       window::CProgressDlg& progress, std::chrono::milliseconds delay) override;
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
    // Runs the messages of this thread until `done` is signalled (true), or
    // until a cancelled read has had kCancelGrace to end (false); the
    // progress window `frame` is opened over `owner` once `delay` has passed.
    bool PumpUntil(HANDLE done, std::unique_ptr<DialogWindow>& frame, window::CDialog& owner,
                   window::CProgressDlg& progress, std::chrono::milliseconds delay);
    // The progress window shown, started and refreshed by a timer; null
    // when Windows cannot make it.
    std::unique_ptr<DialogWindow> OpenProgress(window::CDialog& owner,
                                               window::CProgressDlg& progress);

    window::ToolkitInstallation m_installation{*this};
    std::vector<DialogWindow*> m_open;
    int m_waitDepth = 0;
    bool m_progressShown = false;
    bool m_quitting = false;
};

} // namespace zentory::win32
