#include "export/ListExport.h"

#include "export/Pieces.h"
#include "export/TableLists.h"
#include "platform/write/SafeFile.h"

namespace zentory {

namespace {

// From this many entries on, the list is composed on a second thread while the
// first one writes.
constexpr size_t kPipedEntries = 50000;

} // namespace

std::string ComposeList(const ExportRequest& request, ListFormat format) {
    std::string out;
    StreamList([&out](std::string_view piece) { out.append(piece); }, request, format);
    return out;
}

void StreamList(const std::function<void(std::string_view)>& write, const ExportRequest& request,
                ListFormat format) {
    if (format == ListFormat::Text) {
        StreamExport(write, request);
        return;
    }
    pieces::StreamPieces(
        write,
        [&](pieces::TextSink& sink) {
            if (format == ListFormat::Csv) {
                ComposeCsv(sink, request);
            } else {
                ComposeJson(sink, request);
            }
            sink.flush();
        },
        request.files.size() >= kPipedEntries);
}

void WriteList(const std::string& outputPath, const ExportRequest& request, ListFormat format) {
    platform::SafeFile file(outputPath);
    StreamList([&file](std::string_view bytes) { file.write(bytes); }, request, format);
    file.commit();
}

} // namespace zentory
