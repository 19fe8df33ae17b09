#include "export/ExportRequestBuilder.h"

#include "i18n/Translator.h"

namespace zentory {

ExportLabels exportLabels(const CTranslator& catalogue) {
    ExportLabels labels{catalogue.GetText(TextKey::ExportTitle),
                        catalogue.GetText(TextKey::ExportHeading)};
    auto take = [&](std::string& label, TextKey key) {
        if (std::string text = catalogue.GetText(key); !text.empty()) {
            label = std::move(text);
        }
    };
    take(labels.files, TextKey::ListCount);
    take(labels.filesOne, TextKey::ListCountOne);
    take(labels.bytes, TextKey::ListBytes);
    take(labels.bytesOne, TextKey::ListBytesOne);
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
