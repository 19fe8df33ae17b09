// The main window's list beyond the names, and its size.
#include "ExportDlg.h"

#include "ResourceIds.h"
#include "Toolkit.h"
#include "i18n/Translator.h"

namespace zentory::window {

int CExportDlg::StretchingList() const {
    return ids::Main::kFileList;
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
