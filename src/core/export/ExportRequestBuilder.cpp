#include "export/ExportRequestBuilder.h"

#include "i18n/Translator.h"

#include <algorithm>

namespace zentory {

ExportLabels exportLabels(const CTranslator& catalogue) {
    const auto text = [&](TextKey key) { return catalogue.GetText(key); };
    ExportLabels labels{.title = text(TextKey::ExportTitle),
                        .heading = text(TextKey::ExportHeading),
                        .nameColumn = text(TextKey::ListColumn),
                        .sizeColumn = text(TextKey::ListSizeColumn),
                        .modifiedColumn = text(TextKey::ListModifiedColumn),
                        .files = text(TextKey::ListCount),
                        .oneFile = text(TextKey::ListCountOne),
                        .bytes = text(TextKey::ListBytes),
                        .oneByte = text(TextKey::ListBytesOne),
                        .closing = {text(TextKey::TreeClosing), text(TextKey::TreeClosingOneFile),
                                    text(TextKey::TreeClosingOneFolder),
                                    text(TextKey::TreeClosingOneEach)},
                        .digitGroup = text(TextKey::DigitGroup),
                        .language = localeForTag(catalogue.Tag())};
    std::replace(labels.language.begin(), labels.language.end(), '_', '-');
    return labels;
}

ExportRequest makeExportRequest(const FolderRead& read, const ExportOptions& options,
                                const CTranslator* catalogue, ListColumns columns) {
    const bool dated = catalogue != nullptr && options.showDateTime;
    return ExportRequest{
        .files = read.files,
        .folder = read.folder,
        .options = options,
        .labels = catalogue == nullptr ? ExportLabels{} : exportLabels(*catalogue),
        .exportedAt = dated ? platform::localNow() : platform::LocalTime{},
        .columns = columns,
        .stats = read.stats,
    };
}

} // namespace zentory
