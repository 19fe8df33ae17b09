#include "export/ListExport.h"

#include "export/CsvList.h"
#include "export/HtmlList.h"
#include "export/JsonList.h"
#include "export/Pieces.h"
#include "export/TreeList.h"
#include "platform/write/SafeFile.h"

namespace zentory {

namespace {

// From this many entries on, the list is composed on a second thread while the
// first one writes.
constexpr size_t kPipedEntries = 50000;

} // namespace

std::string composeList(const ExportRequest& request, ListFormat format) {
    std::string out;
    streamList([&out](std::string_view piece) { out.append(piece); }, request, format);
    return out;
}

void streamList(const std::function<void(std::string_view)>& write, const ExportRequest& request,
                ListFormat format) {
    if (format == ListFormat::Text) {
        streamExport(write, request);
        return;
    }
    pieces::streamPieces(
        write,
        [&](pieces::TextSink& sink) {
            switch (format) {
            case ListFormat::Csv:
                composeCsv(sink, request);
                break;
            case ListFormat::Json:
                composeJson(sink, request);
                break;
            case ListFormat::Html:
                composeHtml(sink, request);
                break;
            default:
                composeTree(sink, request);
                break;
            }
            sink.flush();
        },
        request.files.size() >= kPipedEntries);
}

void writeList(const std::string& outputPath, const ExportRequest& request, ListFormat format) {
    platform::SafeFile file(outputPath);
    streamList([&file](std::string_view bytes) { file.write(bytes); }, request, format);
    file.commit();
}

} // namespace zentory
