#include "ListOptionsDlg.h"

#include "DataExchange.h"
#include "ResourceIds.h"

#include <charconv>
#include <optional>

namespace zentory::window {

namespace {

using Ids = ids::ListOptions;

struct ControlText {
    int id;
    TextKey key;
};
// The controls and the catalogue keys of their texts.
constexpr ControlText kControlTexts[] = {
    {Ids::kFilesGroup, TextKey::ListOptionsFilesGroup},
    {Ids::kIncludeLabel, TextKey::ListOptionsInclude},
    {Ids::kExcludeLabel, TextKey::ListOptionsExclude},
    {Ids::kIgnoreCase, TextKey::ListOptionsIgnoreCase},
    {Ids::kNoHidden, TextKey::ListOptionsNoHidden},
    {Ids::kDepthLabel, TextKey::ListOptionsDepth},
    {Ids::kColumnsGroup, TextKey::ListOptionsColumnsGroup},
    {Ids::kSize, TextKey::ListOptionsSize},
    {Ids::kModified, TextKey::ListOptionsModified},
    {Ids::kTotals, TextKey::ListOptionsTotals},
    {IDCANCEL, TextKey::ListOptionsCancel},
};

constexpr char kPatternSeparator = ';';

// The patterns of a field: the parts between ";", without the spaces around
// them; empty parts are none.
std::vector<std::string> splitPatterns(const std::string& field) {
    std::vector<std::string> patterns;
    size_t begin = 0;
    while (begin <= field.size()) {
        size_t end = field.find(kPatternSeparator, begin);
        if (end == std::string::npos) {
            end = field.size();
        }
        const size_t first = field.find_first_not_of(' ', begin);
        if (first != std::string::npos && first < end) {
            const size_t last = field.find_last_not_of(' ', end - 1);
            patterns.push_back(field.substr(first, last + 1 - first));
        }
        begin = end + 1;
    }
    return patterns;
}

std::string joinPatterns(const std::vector<std::string>& patterns) {
    std::string field;
    for (const std::string& pattern : patterns) {
        if (!field.empty()) {
            field += kPatternSeparator;
        }
        field += pattern;
    }
    return field;
}

// The depth of the field: -1 when it is empty (spaces aside), nothing when it
// is not a whole number from 0 up.
std::optional<int> parseDepth(const std::string& field) {
    const size_t first = field.find_first_not_of(' ');
    if (first == std::string::npos) {
        return -1;
    }
    const size_t last = field.find_last_not_of(' ');
    int depth = 0;
    const char* end = field.data() + last + 1;
    const auto [stop, error] = std::from_chars(field.data() + first, end, depth);
    if (error != std::errc() || stop != end || depth < 0) {
        return std::nullopt;
    }
    return depth;
}

} // namespace

CListOptionsDlg::CListOptionsDlg(Shell& shell, const CTranslator& catalogue, CDialog* pParent)
    : CDialog(Ids::kDialog, pParent), m_shell(shell), m_catalogue(catalogue) {}

void CListOptionsDlg::DoDataExchange(DataExchange& dx) {
    dx.Text(Ids::kInclude, m_strInclude);
    dx.Text(Ids::kExclude, m_strExclude);
    dx.Check(Ids::kIgnoreCase, m_bIgnoreCase);
    dx.Check(Ids::kNoHidden, m_bNoHidden);
    dx.Text(Ids::kDepth, m_strDepth);
    dx.Check(Ids::kSize, m_bSize);
    dx.Check(Ids::kModified, m_bModified);
    dx.Check(Ids::kTotals, m_bTotals);
}

void CListOptionsDlg::ApplyTexts() {
    for (const ControlText& control : kControlTexts) {
        const std::string text = m_catalogue.GetText(control.key);
        if (!text.empty()) { // an older translation file keeps the template's text
            Ctl().SetDlgItemText(control.id, text);
        }
    }
}

bool CListOptionsDlg::OnInitDialog() {
    ApplyTexts();
    const ListFilter& filter = m_options.filter;
    m_strInclude = joinPatterns(filter.include);
    m_strExclude = joinPatterns(filter.exclude);
    m_bIgnoreCase = filter.ignoreCase ? 1 : 0;
    m_bNoHidden = filter.noHidden ? 1 : 0;
    m_strDepth = filter.maxDepth < 0 ? std::string() : std::to_string(filter.maxDepth);
    m_bSize = m_options.columns.size ? 1 : 0;
    m_bModified = m_options.columns.modified ? 1 : 0;
    m_bTotals = m_options.columns.totals ? 1 : 0;
    return CDialog::OnInitDialog();
}

void CListOptionsDlg::OnOK() {
    UpdateData(true);
    const std::optional<int> depth = parseDepth(m_strDepth);
    if (!depth) {
        m_shell.messageBox(m_catalogue.GetText(TextKey::ListOptionsBadDepth),
                           m_catalogue.GetText(TextKey::MessageCaption));
        return;
    }
    ListFilter& filter = m_options.filter;
    filter.include = splitPatterns(m_strInclude);
    filter.exclude = splitPatterns(m_strExclude);
    filter.ignoreCase = m_bIgnoreCase == 1;
    filter.noHidden = m_bNoHidden == 1;
    filter.maxDepth = *depth;
    m_options.columns = {
        .size = m_bSize == 1, .modified = m_bModified == 1, .totals = m_bTotals == 1};
    EndDialog(IDOK);
}

} // namespace zentory::window
