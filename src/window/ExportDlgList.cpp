// The main window's list beyond the names, and its size.
#include "ExportDlg.h"

#include "CatalogueText.h"
#include "ListSave.h"
#include "ResourceIds.h"
#include "Toolkit.h"
#include "i18n/Translator.h"
#include "platform/Clock.h"

namespace zentory::window {

int CExportDlg::StretchingList() const {
    return ids::Main::kFileList;
}

int CExportDlg::ListContextMenu() const {
    return ids::ListMenu::kMenu;
}

ExportOptions CExportDlg::CurrentExportOptions() const {
    return {.showFullPath = m_optionsDlg.m_bShowFullPath == 1,
            .showExtensions = m_optionsDlg.m_bShowExtensions == 1,
            .showDateTime = m_optionsDlg.m_bShowDateTime == 1};
}

void CExportDlg::OnCopyList() {
    CopyToClipboard(CopyWhat::Names);
}

void CExportDlg::OnCopyNames() {
    CopyToClipboard(CopyWhat::Names);
}

void CExportDlg::OnCopyFullPaths() {
    CopyToClipboard(CopyWhat::FullPaths);
}

void CExportDlg::CopyToClipboard(CopyWhat what) {
    if (m_fileList.empty()) {
        m_shell.messageBox(m_translator.GetText(TextKey::NothingToExport),
                           m_translator.GetText(TextKey::MessageCaption));
        return;
    }
    const std::vector<size_t> rows = Ctl().GetListSelection(ids::Main::kFileList);
    if (!rows.empty()) {
        m_shell.copyText(CopiedRows(m_fileList, rows, what));
        return;
    }
    ExportOptions options = CurrentExportOptions();
    options.showFullPath = options.showFullPath || what == CopyWhat::FullPaths;
    CWaitCursor busy;
    m_shell.copyText(PlatformLines(
        ListText({.files = m_fileList, .folder = m_strChosenFolder, .stats = &m_fileStats}, options,
                 m_listOptions.columns, m_translator)));
}

void CExportDlg::ShowListColumns() {
    m_listCells.Choose(m_listOptions.columns);
    Ctl().SetListCells(ids::Main::kFileList, m_listCells.Headers(m_translator), m_listCells);
    const std::string locale = localeForTag(m_translator.Tag());
    Ctl().SetDlgItemText(ids::Main::kFileCount,
                         m_listCells.CountText(m_translator, [&](std::uint64_t n) {
                             return Toolkit::Current().FormatCount(n, locale);
                         }));
}

} // namespace zentory::window

namespace zentory::window {

void CExportDlg::OnPrint() {
    PrintList(false);
}

void CExportDlg::OnPrintPreview() {
    PrintList(true);
}

void CExportDlg::PrintList(bool preview) {
    if (m_fileList.empty()) {
        m_shell.messageBox(m_translator.GetText(TextKey::NothingToExport),
                           m_translator.GetText(TextKey::MessageCaption));
        return;
    }
    PrintDocument document;
    {
        CWaitCursor busy;
        document.text =
            ListText({.files = m_fileList, .folder = m_strChosenFolder, .stats = &m_fileStats},
                     CurrentExportOptions(), m_listOptions.columns, m_translator);
    }
    document.date = formatExportDate(platform::localNow());
    document.pageOf = textOr(m_translator, TextKey::PrintPageOf, "Page %1 of %2");
    document.title = m_translator.GetText(TextKey::SaveFileName);
    document.previewTitle = textOr(m_translator, TextKey::PrintPreviewName, "Print preview");
    document.printCommand = textOr(m_translator, TextKey::MenuPrint, "&Print...");
    document.previousPage = textOr(m_translator, TextKey::PrintPreviousPage, "Previous page");
    document.nextPage = textOr(m_translator, TextKey::PrintNextPage, "Next page");
    m_shell.printDocument(document, preview);
}

} // namespace zentory::window
