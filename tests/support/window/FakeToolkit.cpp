#include "FakeToolkit.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

namespace zentory::test {

namespace {

bool beginsBlind(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}

} // namespace

std::string RecordingView::GetDlgItemText(int id) const {
    const auto it = texts.find(id);
    return it == texts.end() ? std::string() : it->second;
}

int RecordingView::IsDlgButtonChecked(int id) const {
    const auto it = checks.find(id);
    return it == checks.end() ? 0 : it->second;
}

int RecordingView::AddComboString(int id, const std::string& text) {
    combos[id].push_back(text);
    return static_cast<int>(combos[id].size()) - 1;
}

int RecordingView::GetComboSelection(int id) const {
    const auto chosen = comboSelection.find(id);
    const auto entries = combos.find(id);
    if (chosen == comboSelection.end() || chosen->second < 0 || entries == combos.end()) {
        return -1;
    }
    return entries->second[static_cast<size_t>(chosen->second)] == GetDlgItemText(id)
               ? chosen->second
               : -1;
}

bool RecordingView::SelectComboString(int id, const std::string& text) {
    const auto& entries = combos[id];
    const auto found = std::find_if(entries.begin(), entries.end(),
                                    [&](const std::string& e) { return beginsBlind(e, text); });
    comboSelection[id] = found == entries.end() ? -1 : static_cast<int>(found - entries.begin());
    if (found != entries.end()) {
        texts[id] = *found;
    }
    return found != entries.end();
}

void RecordingView::Choose(int id, const std::string& text) {
    const auto& entries = combos[id];
    const auto found = std::find(entries.begin(), entries.end(), text);
    comboSelection[id] = found == entries.end() ? -1 : static_cast<int>(found - entries.begin());
    texts[id] = text;
}

int FakeToolkit::RunModal(window::CDialog& dlg) {
    dialogsRun.push_back(dlg.m_nIDTemplate);
    RecordingView view;
    dlg.Attach(&view);
    dlg.StartDialog();
    if (!person.empty()) {
        const Person step = std::move(person.front());
        person.pop_front();
        step(dlg, view);
    }
    if (!view.result) {
        dlg.OnCancel();
    }
    dlg.Attach(nullptr);
    return view.result.value_or(window::IDCANCEL);
}

bool FakeToolkit::RunBesideLoop(window::CDialog& /*owner*/, std::function<void()> work,
                                window::CProgressDlg& progress,
                                std::chrono::milliseconds /*delay*/) {
    waitDepthInRead = waitDepth;
    RecordingView view;
    if (inProgress) {
        progress.Attach(&view);
        progress.OnInitDialog();
        inProgress(progress, view);
    }
    work();
    progress.Attach(nullptr);
    return true;
}

std::unique_ptr<window::BesideLoop> FakeToolkit::OpenBesideLoop(window::CDialog& /*owner*/) {
    throw std::logic_error("the fake toolkit runs reads without a loop beside them");
}

} // namespace zentory::test
