// The Win32 window's drawing side, on a real (virtual) display: the generated
// dialogs put every control where its template says, and the view and the
// toolkit do what the window logic expects of them.
#include "WinApi.h"

#include "Dialog.h"
#include "DialogWindow.h"
#include "ExportDlg.h"
#include "ListLook.h"
#include "PrintPages.h"
#include "ProgressDlg.h"
#include "ResourceIds.h"
#include "Win32Toolkit.h"
#include "listing/FileList.h"
#include "platform/win32/Handle.h"
#include "platform/win32/Utf16.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace zentory::win32 {
namespace {

using window::DialogView;

struct TemplateControl {
    int id;
    std::string className;
    RECT rect; // dialog units
    bool hidden;
};

// The named controls of a template, read from its JSON with a pattern: one
// control per object, its keys in the order the templates keep.
std::vector<TemplateControl> templateControls(const std::string& file) {
    std::ifstream in(std::string(ZENTORY_TEMPLATE_DIR) + "\\" + file);
    std::stringstream json;
    json << in.rdbuf();
    const std::string text = json.str();
    static const std::regex control(
        R"re(\{ "id": (\d+),[^{}]*?"class": "(\w+)"[^{}]*?"rect": \[(\d+), (\d+), (\d+), (\d+)\],\s*"style": \[([^\]]*)\])re");
    std::vector<TemplateControl> controls;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), control);
         it != std::sregex_iterator(); ++it) {
        const auto& m = *it;
        const int x = std::stoi(m[3]), y = std::stoi(m[4]);
        controls.push_back({std::stoi(m[1]), m[2],
                            RECT{x, y, x + std::stoi(m[5]), y + std::stoi(m[6])},
                            m[7].str().find("NOT WS_VISIBLE") != std::string::npos});
    }
    return controls;
}

INT_PTR CALLBACK inertProcedure(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

class Win32Window : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                            ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES};
        ASSERT_TRUE(InitCommonControlsEx(&controls));
    }
    Win32Toolkit m_toolkit;
};

struct TemplateCase {
    int dialog;
    const char* file;
};

class GeneratedDialog : public Win32Window, public ::testing::WithParamInterface<TemplateCase> {};

TEST_P(GeneratedDialog, PutsEachControlWhereItsTemplateSays) {
    const HWND dlg = CreateDialogParamW(
        GetModuleHandleW(nullptr), MAKEINTRESOURCEW(GetParam().dialog), nullptr, inertProcedure, 0);
    ASSERT_NE(dlg, nullptr) << GetLastError();
    const auto controls = templateControls(GetParam().file);
    ASSERT_FALSE(controls.empty());
    for (const TemplateControl& c : controls) {
        SCOPED_TRACE("control " + std::to_string(c.id));
        const HWND item = GetDlgItem(dlg, c.id);
        ASSERT_NE(item, nullptr);
        // Windows converts the position and the size, not the far edges.
        RECT origin{c.rect.left, c.rect.top, c.rect.right - c.rect.left,
                    c.rect.bottom - c.rect.top};
        ASSERT_TRUE(MapDialogRect(dlg, &origin));
        const RECT expected{origin.left, origin.top, origin.left + origin.right,
                            origin.top + origin.bottom};
        RECT actual{};
        ASSERT_TRUE(GetWindowRect(item, &actual));
        MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&actual), 2);
        EXPECT_EQ(actual.left, expected.left);
        EXPECT_EQ(actual.top, expected.top);
        EXPECT_EQ(actual.right, expected.right);
        if (c.className != "combobox") { // a combo box is as high as its edit field
            EXPECT_EQ(actual.bottom, expected.bottom);
        }
        const LONG_PTR style = GetWindowLongPtrW(item, GWL_STYLE);
        EXPECT_EQ((style & WS_VISIBLE) == 0, c.hidden);
        if (c.className == "SysListView32") {
            EXPECT_NE(style & LVS_OWNERDATA, 0) << "the file list must be virtual";
        }
        if (c.className == "edit") {
            EXPECT_NE(style & ES_AUTOHSCROLL, 0) << "a field scrolls with what is typed";
        }
    }
    DestroyWindow(dlg);
}

INSTANTIATE_TEST_SUITE_P(Templates, GeneratedDialog,
                         ::testing::Values(TemplateCase{ids::About::kDialog, "dialog100.json"},
                                           TemplateCase{ids::Main::kDialog, "dialog102.json"},
                                           TemplateCase{ids::Options::kDialog, "dialog132.json"},
                                           TemplateCase{ids::Language::kDialog, "dialog134.json"},
                                           TemplateCase{ids::Progress::kDialog, "dialog136.json"},
                                           TemplateCase{ids::ListOptions::kDialog,
                                                        "dialog138.json"}));

// A dialog whose logic runs `probe` once it shows, then ends.
class Probe : public window::CDialog {
public:
    using Check = std::function<void(window::CDialog&, HWND)>;
    Probe(int templateId, Check probe, window::CDialog* owner = nullptr)
        : CDialog(templateId, owner), m_probe(std::move(probe)) {}
    void OnShown() override {
        m_probe(*this, DialogWindow::Of(*this)->Handle());
        EndDialog(window::IDOK);
    }
    int StretchingList() const override { return m_stretching; }

    // The list that grows with the window; 0: the dialog has a fixed size.
    int m_stretching = 0;

private:
    Check m_probe;
};

// A visible window that `owner` owns, or null.
HWND ownedWindow(HWND owner) {
    std::pair<HWND, HWND> search{owner, nullptr};
    EnumThreadWindows(
        GetWindowThreadProcessId(owner, nullptr),
        [](HWND hwnd, LPARAM data) {
            auto& [wanted, found] = *reinterpret_cast<std::pair<HWND, HWND>*>(data);
            if (GetWindow(hwnd, GW_OWNER) == wanted && IsWindowVisible(hwnd)) {
                found = hwnd;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.second;
}

void runProbe(int templateId, Probe::Check probe) {
    Probe dlg(templateId, std::move(probe));
    EXPECT_EQ(dlg.DoModal(), window::IDOK);
    EXPECT_EQ(dlg.View(), nullptr) << "the view goes with the window";
}

TEST_F(Win32Window, ALongPathInTheLabelKeepsItsEndAndShowsWholeInATip) {
    const std::string folder = "C:\\R&&D " + std::string(150, 'x') + "\\Holidays\\...";
    runProbe(ids::Main::kDialog, [&](window::CDialog& dlg, HWND) {
        dlg.View()->SetDlgItemText(ids::Main::kFolderLabel, folder);
        EXPECT_EQ(dlg.View()->GetDlgItemText(ids::Main::kFolderLabel), folder)
            << "the control keeps its whole text";
        const PathLabel& label = DialogWindow::Of(dlg)->FolderLabel();
        const std::wstring whole = L"C:\\R&D " + std::wstring(150, L'x') + L"\\Holidays\\...";
        EXPECT_EQ(label.FullText(), whole);
        const std::wstring shown = label.ShownText();
        EXPECT_LT(shown.size(), whole.size());
        EXPECT_TRUE(shown.starts_with(L"C:\\R&D x")) << platform::narrow(shown);
        EXPECT_TRUE(shown.ends_with(L"x\\Holidays\\...")) << platform::narrow(shown);
        EXPECT_NE(shown.find(L'\u2026'), std::wstring::npos);
        EXPECT_NE(label.Tooltip(), nullptr);

        dlg.View()->SetDlgItemText(ids::Main::kFolderLabel, "C:\\a\\...");
        EXPECT_EQ(label.ShownText(), L"C:\\a\\...") << "a short path shows whole";
    });
}

TEST_F(Win32Window, AModalDialogOpensOverTheMiddleOfItsOwner) {
    runProbe(ids::Main::kDialog, [&](window::CDialog& main, HWND owner) {
        ASSERT_TRUE(SetWindowPos(owner, nullptr, 40, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER));
        Probe about(
            ids::About::kDialog,
            [&](window::CDialog&, HWND hwnd) {
                RECT outer{}, inner{};
                ASSERT_TRUE(GetWindowRect(owner, &outer) && GetWindowRect(hwnd, &inner));
                EXPECT_NEAR((inner.left + inner.right) / 2, (outer.left + outer.right) / 2, 1);
                EXPECT_NEAR((inner.top + inner.bottom) / 2, (outer.top + outer.bottom) / 2, 1);
            },
            &main);
        EXPECT_EQ(about.DoModal(), window::IDOK);
    });
}

// The texts drawn into an enhanced metafile, in order.
std::vector<std::wstring> drawnTexts(HENHMETAFILE metafile) {
    std::vector<std::wstring> texts;
    EnumEnhMetaFile(
        nullptr, metafile,
        [](HDC, HANDLETABLE*, const ENHMETARECORD* record, int, LPARAM data) -> int {
            if (record->iType == EMR_EXTTEXTOUTW) {
                const auto* out = reinterpret_cast<const EMREXTTEXTOUTW*>(record);
                const auto* chars = reinterpret_cast<const wchar_t*>(
                    reinterpret_cast<const BYTE*>(record) + out->emrtext.offString);
                reinterpret_cast<std::vector<std::wstring>*>(data)->emplace_back(
                    chars, out->emrtext.nChars);
            }
            return 1;
        },
        &texts, nullptr);
    return texts;
}

TEST_F(Win32Window, APrintedPageDrawsTheLayoutsTextsWithGdi) {
    std::string text = "Contents of C:\\w\\...\r\n\r\n";
    for (int i = 0; i < 200; ++i) {
        text += "Grüße" + std::to_string(1000 + i) + ".txt\r\n";
    }
    const window::PrintDocument document{
        text,      "2007/05/17 14:30", "Page %1 of %2", "list",
        "Preview", "&Print...",        "Previous page", "Next page"};
    const HDC dc = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(dc, nullptr);
    std::vector<std::wstring> expected;
    {
        const PrintFont font(dc);
        const window::PrintLayout layout = layoutFor(document, dc);
        ASSERT_GE(layout.PageCount(), 2u);
        for (const window::PlacedText& placed : layout.Page(1)) {
            expected.push_back(platform::widen(placed.text));
        }
        drawPage(dc, layout, 1);
    }
    const HENHMETAFILE metafile = CloseEnhMetaFile(dc);
    const std::vector<std::wstring> drawn = drawnTexts(metafile);
    DeleteEnhMetaFile(metafile);
    EXPECT_EQ(drawn, expected);
    ASSERT_FALSE(drawn.empty());
    EXPECT_EQ(drawn.front(), L"Contents of C:\\w\\...");
    EXPECT_TRUE(drawn.back().starts_with(L"Page 2 of ")) << platform::narrow(drawn.back());
}

TEST_F(Win32Window, ComboEntriesKeepTheirOrderOfAddingAndSelectByPrefixIgnoringCase) {
    runProbe(ids::Language::kDialog, [](window::CDialog& dlg, HWND) {
        DialogView& view = *dlg.View();
        const int combo = ids::Language::kLanguages;
        for (const char* name : {"Français", "deutsch", "English"}) {
            view.AddComboString(combo, name);
        }
        EXPECT_TRUE(view.SelectComboString(combo, "DEU"));
        EXPECT_EQ(view.GetDlgItemText(combo), "deutsch");
        EXPECT_EQ(view.GetComboSelection(combo), 1);
        EXPECT_TRUE(view.SelectComboString(combo, "fran"));
        EXPECT_EQ(view.GetComboSelection(combo), 0);
        view.SetDlgItemText(combo, "Français (Suisse)");
        EXPECT_EQ(view.GetComboSelection(combo), -1) << "an edited entry is no entry";
        EXPECT_FALSE(view.SelectComboString(combo, "Klingon"));
        EXPECT_EQ(view.GetComboSelection(combo), -1);
    });
}

TEST_F(Win32Window, TextsChecksAndMenusSpeakUtf8) {
    runProbe(ids::Main::kDialog, [](window::CDialog& dlg, HWND hwnd) {
        DialogView& view = *dlg.View();
        view.SetDlgItemText(ids::Main::kIntro, "Grüße „aus“ Ελλάδα");
        EXPECT_EQ(view.GetDlgItemText(ids::Main::kIntro), "Grüße „aus“ Ελλάδα");
        for (int state : {1, 0}) {
            view.CheckDlgButton(ids::Main::kSubFolders, state);
            EXPECT_EQ(view.IsDlgButtonChecked(ids::Main::kSubFolders), state);
        }
        view.SetPopupText(1, "&Hilfe");
        view.SetMenuItemText(ids::Menu::kAbout, "Ü&ber...");
        wchar_t text[64];
        GetMenuStringW(GetMenu(hwnd), 1, text, 64, MF_BYPOSITION);
        EXPECT_STREQ(text, L"&Hilfe");
        GetMenuStringW(GetMenu(hwnd), ids::Menu::kAbout, text, 64, MF_BYCOMMAND);
        EXPECT_STREQ(text, L"Ü&ber...");
        // The system menu's About entry follows the Help menu's.
        GetMenuStringW(GetSystemMenu(hwnd, FALSE), 0x0010, text, 64, MF_BYCOMMAND);
        EXPECT_STREQ(text, L"Ü&ber...");
    });
}

TEST_F(Win32Window, FileListShowsTheNamesAndKeepsItsSelectionWhenTheColumnIsMadeAnew) {
    FileList files;
    for (const char* path : {"C:\\t\\a.txt", "C:\\t\\img\\b.png", "C:\\t\\img\\ç.txt"}) {
        files.append(path);
    }
    runProbe(ids::Main::kDialog, [&](window::CDialog& dlg, HWND hwnd) {
        DialogView& view = *dlg.View();
        const HWND list = GetDlgItem(hwnd, ids::Main::kFileList);
        view.SetListColumn(ids::Main::kFileList, "File name");
        view.SetListFiles(ids::Main::kFileList, files);
        ASSERT_EQ(ListView_GetItemCount(list), 3);
        wchar_t text[64];
        ListView_GetItemText(list, 2, 0, text, 64);
        EXPECT_STREQ(text, L"ç.txt");
        ListView_SetItemState(list, 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        view.SetListColumn(ids::Main::kFileList, "Dateiname");
        EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_SELECTED), 1);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = text;
        column.cchTextMax = 64;
        ASSERT_TRUE(ListView_GetColumn(list, 0, &column));
        EXPECT_STREQ(text, L"Dateiname");
        EXPECT_EQ(column.cx, MulDiv(window::kListColumnWidth, GetDpiForWindow(list), 96));
    });
}

// A control's rectangle in its dialog's client area.
RECT clientRectOf(HWND dialog, int id) {
    RECT r{};
    EXPECT_TRUE(GetWindowRect(GetDlgItem(dialog, id), &r));
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

TEST_F(Win32Window, AGrownMainWindowGrowsItsListAndKeepsSaveAtTheCorner) {
    Probe dlg(ids::Main::kDialog, [](window::CDialog&, HWND hwnd) {
        EXPECT_NE(GetWindowLongPtrW(hwnd, GWL_STYLE) & (WS_THICKFRAME | WS_MAXIMIZEBOX), 0);
        RECT frame{};
        RECT client{};
        ASSERT_TRUE(GetWindowRect(hwnd, &frame) && GetClientRect(hwnd, &client));
        const RECT list = clientRectOf(hwnd, ids::Main::kFileList);
        const RECT save = clientRectOf(hwnd, ids::Main::kSaveTxtFile);
        ASSERT_TRUE(SetWindowPos(hwnd, nullptr, 0, 0, frame.right - frame.left + 200,
                                 frame.bottom - frame.top + 100, SWP_NOMOVE | SWP_NOZORDER));
        RECT grown{};
        ASSERT_TRUE(GetClientRect(hwnd, &grown));
        ASSERT_EQ(grown.right - client.right, 200);
        const RECT listNow = clientRectOf(hwnd, ids::Main::kFileList);
        EXPECT_EQ(listNow.left, list.left);
        EXPECT_EQ(listNow.top, list.top);
        EXPECT_EQ(listNow.right - list.right, 200);
        EXPECT_EQ(listNow.bottom - list.bottom, grown.bottom - client.bottom);
        const RECT saveNow = clientRectOf(hwnd, ids::Main::kSaveTxtFile);
        EXPECT_EQ(grown.right - saveNow.right, client.right - save.right);
        EXPECT_EQ(grown.bottom - saveNow.bottom, client.bottom - save.bottom);
        MINMAXINFO limits{};
        SendMessageW(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
        EXPECT_EQ(limits.ptMinTrackSize.x, frame.right - frame.left) << "the template's size";
        EXPECT_EQ(limits.ptMinTrackSize.y, frame.bottom - frame.top);
    });
    dlg.m_stretching = ids::Main::kFileList;
    EXPECT_EQ(dlg.DoModal(), window::IDOK);
}

TEST_F(Win32Window, CellsAfterTheNameComeFromTheLogicAndShowWholeInATip) {
    struct Cells : window::ListCells {
        std::string CellText(size_t row, size_t column) const override {
            return "r" + std::to_string(row) + "c" + std::to_string(column);
        }
    } cells;
    FileList files;
    files.append("C:\\t\\a-long-name.txt");
    runProbe(ids::Main::kDialog, [&](window::CDialog& dlg, HWND hwnd) {
        DialogView& view = *dlg.View();
        const HWND list = GetDlgItem(hwnd, ids::Main::kFileList);
        view.SetListColumn(ids::Main::kFileList, "File name");
        view.SetListFiles(ids::Main::kFileList, files);
        view.SetListCells(ids::Main::kFileList, {"Folder", "Größe"}, cells);
        view.SetListColumn(ids::Main::kFileList, "Dateiname");
        wchar_t text[64];
        ListView_GetItemText(list, 0, 2, text, 64);
        EXPECT_STREQ(text, L"r0c2");
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT;
        column.pszText = text;
        column.cchTextMax = 64;
        ASSERT_TRUE(ListView_GetColumn(list, 0, &column));
        EXPECT_STREQ(text, L"Dateiname");
        ASSERT_TRUE(ListView_GetColumn(list, 2, &column));
        EXPECT_STREQ(text, L"Größe");
        EXPECT_FALSE(ListView_GetColumn(list, 3, &column));

        NMLVGETINFOTIPW tip{};
        tip.hdr = {list, ids::Main::kFileList, LVN_GETINFOTIPW};
        tip.pszText = text;
        tip.cchTextMax = 64;
        SendMessageW(hwnd, WM_NOTIFY, ids::Main::kFileList, reinterpret_cast<LPARAM>(&tip));
        EXPECT_STREQ(text, L"a-long-name.txt");
        EXPECT_NE(ListView_GetExtendedListViewStyle(list) & LVS_EX_INFOTIP, 0);
    });
}

TEST_F(Win32Window, CountsAreGroupedAsTheLocaleGroupsThem) {
    EXPECT_EQ(m_toolkit.FormatCount(1234567, "de_DE"), "1.234.567");
    EXPECT_EQ(m_toolkit.FormatCount(1234567, "en_US"), "1,234,567");
    EXPECT_EQ(m_toolkit.FormatCount(999, "de_DE"), "999");
    EXPECT_EQ(m_toolkit.FormatCount(0, "de_DE.UTF-8"), "0");
}

TEST_F(Win32Window, WorkBesideTheLoopDisablesTheWindowShowsProgressAndPassesItsFailureOn) {
    runProbe(ids::Main::kDialog, [&](window::CDialog& dlg, HWND hwnd) {
        ScanWatch watch;
        window::CProgressDlg progress(watch, &dlg);
        progress.m_strFilesText = "Files: %1";
        bool disabled = false;
        HWND shown = nullptr;
        const auto work = [&] {
            Sleep(600);
            disabled = !IsWindowEnabled(hwnd);
            shown = ownedWindow(hwnd);
            throw std::runtime_error("the disk went away");
        };
        EXPECT_THROW(m_toolkit.RunBesideLoop(dlg, work, progress, std::chrono::milliseconds(50)),
                     std::runtime_error);
        EXPECT_TRUE(disabled) << "no input reaches the window while the work runs";
        EXPECT_NE(shown, nullptr) << "the progress window shows once the delay has passed";
        EXPECT_TRUE(IsWindowEnabled(hwnd));
        EXPECT_EQ(progress.View(), nullptr) << "the progress window goes with the work";
    });
}

TEST_F(Win32Window, EscapeInTheProgressWindowCancelsTheWork) {
    runProbe(ids::Main::kDialog, [&](window::CDialog& dlg, HWND hwnd) {
        ScanWatch watch;
        window::CProgressDlg progress(watch, &dlg);
        const auto work = [&] {
            HWND shown = nullptr;
            for (int waited = 0; shown == nullptr && waited < 5000; waited += 50) {
                Sleep(50);
                shown = ownedWindow(hwnd);
            }
            // A key press, as the person would make it in the Cancel button.
            PostMessageW(GetDlgItem(shown, window::IDCANCEL), WM_KEYDOWN, VK_ESCAPE, 0);
            for (int waited = 0; !watch.cancelled() && waited < 5000; waited += 50) {
                Sleep(50);
            }
        };
        m_toolkit.RunBesideLoop(dlg, work, progress, std::chrono::milliseconds(50));
        EXPECT_TRUE(watch.cancelled());
    });
}

} // namespace
} // namespace zentory::win32
