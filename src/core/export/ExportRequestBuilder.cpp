#include "export/ExportRequestBuilder.h"

#include "i18n/Translator.h"

namespace zentory {

ExportRequest makeExportRequest(const FolderRead& read, const ExportOptions& options,
                                const CTranslator* catalogue, ListColumns columns) {
    const bool dated = catalogue != nullptr && options.showDateTime;
    return ExportRequest{
        .files = read.files,
        .folder = read.folder,
        .options = options,
        .labels = catalogue == nullptr ? ExportLabels{}
                                       : ExportLabels{catalogue->GetText(TextKey::ExportTitle),
                                                      catalogue->GetText(TextKey::ExportHeading)},
        .exportedAt = dated ? platform::localNow() : platform::LocalTime{},
        .columns = columns,
        .stats = read.stats,
    };
}

} // namespace zentory
