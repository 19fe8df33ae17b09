#pragma once
// The window logic without a toolkit: a view that records what the logic puts
// on each control and answers what it reads, and a toolkit that runs modal
// dialogs through a scripted person and a read on the calling thread. Tests of
// the window's behaviour run on these, fast and without a display.

#include "Dialog.h"
#include "DialogView.h"
#include "ProgressDlg.h"
#include "Toolkit.h"

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace zentory::test {

class RecordingView : public window::DialogView {
public:
    void SetDlgItemText(int id, const std::string& text) override { texts[id] = text; }
    std::string GetDlgItemText(int id) const override;
    void CheckDlgButton(int id, int state) override { checks[id] = state; }
    int IsDlgButtonChecked(int id) const override;
    void EnableDlgItem(int id, bool enable) override { enabled[id] = enable; }
    void UpdateDlgItem(int /*id*/) override {}
    int AddComboString(int id, const std::string& text) override;
    int GetComboSelection(int id) const override;
    bool SelectComboString(int id, const std::string& text) override;
    void SetPopupText(int position, const std::string& text) override { popups[position] = text; }
    void SetMenuItemText(int command, const std::string& text) override {
        menuItems[command] = text;
    }
    void SetListColumn(int /*id*/, const std::string& header) override { listHeader = header; }
    void SetListFiles(int /*id*/, const FileList& files) override {
        listFiles = &files;
        ++listResets;
    }
    void SetListCells(int /*id*/, const std::vector<std::string>& headers,
                      const window::ListCells& cells) override {
        cellHeaders = headers;
        listCells = &cells;
    }
    void SetAccessibleName(int id, const std::string& name) override { accessibleNames[id] = name; }
    void Announce(int id, const std::string& text) override {
        announced.push_back(std::to_string(id) + " " + text);
    }
    void EndDialog(int code) override { result = code; }

    // Chooses the combo box entry `text` as a person would, in the list or typed.
    void Choose(int id, const std::string& text);

    std::map<int, std::string> texts;
    std::map<int, int> checks;
    std::map<int, bool> enabled;
    std::map<int, std::vector<std::string>> combos; // in the order of adding
    std::map<int, int> comboSelection;
    std::map<int, std::string> popups;
    std::map<int, std::string> menuItems;
    std::string listHeader;
    const FileList* listFiles = nullptr;
    std::map<int, std::string> accessibleNames; // 0: the dialog's
    std::vector<std::string> announced;         // "ID TEXT", in order
    int listResets = 0;
    std::vector<std::string> cellHeaders; // the columns after the name
    const window::ListCells* listCells = nullptr;
    std::optional<int> result;
};

class FakeToolkit : public window::Toolkit {
public:
    using Person = std::function<void(window::CDialog&, RecordingView&)>;

    FakeToolkit() { Install(this); }
    ~FakeToolkit() override { Install(nullptr); }
    FakeToolkit(const FakeToolkit&) = delete;
    FakeToolkit& operator=(const FakeToolkit&) = delete;

    // Runs the dialog through the next scripted step; a dialog the step did
    // not end is cancelled, as Escape would.
    int RunModal(window::CDialog& dlg) override;
    // Runs `work` here; with `inProgress` set, the progress window is shown
    // first and `inProgress` acts in it.
    bool RunBesideLoop(window::CDialog& owner, std::function<void()> work,
                       window::CProgressDlg& progress, std::chrono::milliseconds delay) override;
    // Never asked for: reads run here, without a loop beside them.
    std::unique_ptr<window::BesideLoop> OpenBesideLoop(window::CDialog& owner) override;
    void BeginWaitCursor() override { ++waitDepth; }
    void EndWaitCursor() override { --waitDepth; }
    std::string FormatCount(std::uint64_t count, const std::string& locale) const override {
        return std::to_string(count) + "@" + locale;
    }
    void SetInterfaceLanguage(const std::string& locale) override { interfaceLocale = locale; }
    void QuitAll() override { ++quits; }

    // What the person does in the next modal dialogs, one step each.
    std::deque<Person> person;
    Person inProgress;
    std::vector<int> dialogsRun; // template ids, in order
    int waitDepth = 0;
    int waitDepthInRead = 0;
    std::string interfaceLocale;
    int quits = 0;
};

} // namespace zentory::test
