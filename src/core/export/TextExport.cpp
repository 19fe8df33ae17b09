#include "export/TextExport.h"

#include "listing/FolderPath.h"
#include "platform/SafeFile.h"

#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace zentory {

namespace {

// Pieces handed to the writer: large enough that writing costs few system
// calls, small enough that a long list is never held twice and that the few
// buffers in circulation cost few fresh pages.
constexpr size_t kChunk = size_t{64} << 10;

// From this many entries on, the text is composed on a second thread while the
// first one writes.
constexpr size_t kPipedEntries = 50000;

// Whether any of the eight bytes in `word` is a control byte (below 0x20, or 0x7F).
inline bool hasControlByte(uint64_t word) {
    constexpr uint64_t kOnes = 0x0101010101010101ULL;
    constexpr uint64_t kHighs = 0x8080808080808080ULL;
    const uint64_t below = (word - kOnes * 0x20) & ~word & kHighs;
    const uint64_t del = word ^ (kOnes * 0x7f);
    const uint64_t isDel = (del - kOnes) & ~del & kHighs;
    return (below | isDel) != 0;
}

inline bool isControlByte(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u < 0x20 || u == 0x7f;
}

// A piece of composed text in a buffer of its own.
struct Piece {
    std::unique_ptr<char[]> data;
    size_t size = 0;
    size_t capacity = 0;

    std::string_view text() const { return std::string_view(data.get(), size); }
};

// Carries pieces from the thread that composes to the thread that writes, with
// a few buffers in circulation, so that composing goes on while the system
// takes the last piece.
class PiecePipe {
public:
    struct Cancelled {};

    // Composer: hands over a full piece and gets an empty buffer back. Throws
    // Cancelled when the writer has given up.
    Piece exchange(Piece full) {
        std::unique_lock lock(m_mutex);
        m_full.push_back(std::move(full));
        m_changed.notify_all();
        m_changed.wait(lock,
                       [this] { return m_cancelled || !m_free.empty() || m_buffers < kBuffers; });
        if (m_cancelled) {
            throw Cancelled{};
        }
        if (m_free.empty()) {
            ++m_buffers;
            return Piece{std::unique_ptr<char[]>(new char[kChunk]), 0, kChunk};
        }
        Piece p = std::move(m_free.back());
        m_free.pop_back();
        p.size = 0;
        return p;
    }
    // Composer: nothing more comes, because the text is complete or `error` stopped it.
    void finish(std::exception_ptr error) {
        std::lock_guard lock(m_mutex);
        m_finished = true;
        m_error = error;
        m_changed.notify_all();
    }

    // Writer: the next full piece; false once all have been taken.
    bool take(Piece& out) {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_finished || !m_full.empty(); });
        if (m_full.empty()) {
            return false;
        }
        out = std::move(m_full.front());
        m_full.pop_front();
        return true;
    }
    void giveBack(Piece used) {
        std::lock_guard lock(m_mutex);
        m_free.push_back(std::move(used));
        m_changed.notify_all();
    }
    void cancel() {
        std::lock_guard lock(m_mutex);
        m_cancelled = true;
        m_changed.notify_all();
    }
    std::exception_ptr error() {
        std::lock_guard lock(m_mutex);
        return m_error;
    }

private:
    static constexpr size_t kBuffers = 3;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Piece> m_full;
    std::vector<Piece> m_free;
    size_t m_buffers = 1; // the composer starts with one of its own
    bool m_finished = false;
    bool m_cancelled = false;
    std::exception_ptr m_error;
};

// The composed text, gathered in one buffer, CR LF put in as the lines go, and
// handed on in pieces of about kChunk bytes.
class TextSink {
public:
    // `deliver` takes the full piece away and leaves an empty one in its place.
    explicit TextSink(std::function<void(Piece&)> deliver)
        : m_deliver(std::move(deliver)), m_piece{std::unique_ptr<char[]>(new char[kChunk]), 0,
                                                 kChunk} {}

    void text(std::string_view bytes) {
        std::memcpy(room(bytes.size()), bytes.data(), bytes.size());
    }

    // The bytes as held, with every control byte written as "?", so that one
    // file stays one line.
    void cleanText(std::string_view bytes) {
        char* out = room(bytes.size());
        std::memcpy(out, bytes.data(), bytes.size());
        size_t i = 0;
        for (; i + 8 <= bytes.size(); i += 8) {
            uint64_t word;
            std::memcpy(&word, out + i, 8);
            if (hasControlByte(word)) {
                break;
            }
        }
        for (; i < bytes.size(); ++i) {
            if (isControlByte(out[i])) {
                out[i] = '?';
            }
        }
    }

    void lineEnd() {
        char* out = room(2);
        out[0] = '\r';
        out[1] = '\n';
    }

    void flush() {
        if (m_piece.size > 0) {
            m_deliver(m_piece);
        }
    }

private:
    // Space for `bytes` more bytes, counted as written.
    char* room(size_t bytes) {
        if (m_piece.capacity - m_piece.size < bytes) {
            flush();
            if (bytes > m_piece.capacity) {
                m_piece.data.reset(new char[bytes]);
                m_piece.capacity = bytes;
            }
        }
        char* out = m_piece.data.get() + m_piece.size;
        m_piece.size += bytes;
        return out;
    }

    std::function<void(Piece&)> m_deliver;
    Piece m_piece;
};

class Composer {
public:
    Composer(TextSink& out, const ExportRequest& request)
        : m_out(out), m_files(request.files), m_options(request.options), m_request(request) {}

    void compose() {
        const std::string_view chosen = m_request.folder;
        m_out.cleanText(m_request.labels.title);
        m_out.text(" ");
        m_out.cleanText(FolderLabel(m_request.folder));
        m_out.lineEnd();
        m_out.lineEnd();

        // Which folder numbers spell the chosen folder; a path without any
        // separator lies in the folder "".
        std::vector<char> chosenNumbers(m_files.folderCount());
        for (size_t k = 0; k < chosenNumbers.size(); ++k) {
            chosenNumbers[k] = m_files.folderPath(static_cast<uint32_t>(k)) == chosen;
        }
        auto inChosen = [&](uint32_t number) {
            return number == FileList::kNoFolder ? chosen.empty() : chosenNumbers[number] != 0;
        };

        // The files of the chosen folder come first, wherever they stand in the list.
        const size_t count = m_files.size();
        for (size_t i = 0; i < count; ++i) {
            const uint32_t number = m_files.folderIndex(i);
            if (inChosen(number)) {
                line(i, number);
            }
        }
        // Then every other file, with a heading whenever the folder changes.
        std::string_view current = chosen;
        uint32_t currentNumber = FileList::kNoFolder;
        bool numbered = false; // whether currentNumber spells `current`
        for (size_t i = 0; i < count; ++i) {
            const uint32_t number = m_files.folderIndex(i);
            if (!numbered || number != currentNumber) {
                const std::string_view entryFolder = m_files.folderPath(number);
                if (entryFolder != current) {
                    current = entryFolder;
                    if (current.size() > chosen.size()) {
                        heading(current.substr(chosen.size()));
                    }
                }
                currentNumber = number;
                numbered = true;
            }
            if (!inChosen(number)) {
                line(i, number);
            }
        }
        if (m_options.showDateTime) {
            m_out.lineEnd();
            m_out.lineEnd();
            m_out.text("Folder exported on ");
            m_out.text(FormatExportDate(m_request.timeStamp));
            m_out.text(" with Orvane Zentory");
        }
        m_out.flush();
    }

private:
    void line(size_t i, uint32_t folderNumber) {
        std::string_view name = m_files.name(i);
        if (!m_options.showExtensions && name.size() > 1) {
            // A leading dot names a hidden file; it does not start an extension.
            const void* dot = ::memrchr(name.data() + 1, '.', name.size() - 1);
            if (dot != nullptr) {
                name = name.substr(
                    0, static_cast<size_t>(static_cast<const char*>(dot) - name.data()));
            }
        }
        if (m_options.showFullPath && folderNumber != FileList::kNoFolder) {
            m_out.cleanText(m_files.folderPath(folderNumber));
            m_out.text(std::string_view(&kPathSeparator, 1));
        }
        m_out.cleanText(name);
        m_out.lineEnd();
    }

    void heading(std::string_view relativeFolder) {
        m_out.lineEnd();
        m_out.text("---");
        m_out.lineEnd();
        m_out.lineEnd();
        m_out.cleanText(m_request.labels.heading);
        m_out.text(" ...");
        m_out.cleanText(relativeFolder);
        m_out.text(":");
        m_out.lineEnd();
        m_out.lineEnd();
    }

    TextSink& m_out;
    const FileList& m_files;
    const ExportOptions& m_options;
    const ExportRequest& m_request;
};

} // namespace

std::string FormatExportDate(const std::string& timeStamp) {
    auto field = [&](size_t pos, size_t count) {
        return pos < timeStamp.size() ? timeStamp.substr(pos, count) : std::string();
    };
    const size_t minute = timeStamp.size() >= 2 ? timeStamp.size() - 2 : 0;
    return field(0, 4) + "/" + field(4, 2) + "/" + field(6, 2) + " " + field(8, 2) + ":" +
           field(minute, 2);
}

std::string ComposeExport(const ExportRequest& request) {
    std::string out;
    out.reserve(request.files.nameBytes() + 3 * request.files.size() + 256);
    StreamExport([&out](std::string_view piece) { out.append(piece); }, request);
    return out;
}

void StreamExport(const std::function<void(std::string_view)>& write,
                  const ExportRequest& request) {
    auto compose = [&](TextSink& sink) { Composer(sink, request).compose(); };
    auto composeHere = [&] {
        TextSink sink([&write](Piece& p) {
            write(p.text());
            p.size = 0;
        });
        compose(sink);
    };
    if (request.files.size() < kPipedEntries) {
        composeHere();
        return;
    }
    // A long list: composed on a second thread while this one writes.
    PiecePipe pipe;
    std::thread composer;
    try {
        composer = std::thread([&] {
            try {
                TextSink sink([&pipe](Piece& p) { p = pipe.exchange(std::move(p)); });
                compose(sink);
                pipe.finish(nullptr);
            } catch (const PiecePipe::Cancelled&) {
                pipe.finish(nullptr);
            } catch (...) {
                pipe.finish(std::current_exception());
            }
        });
    } catch (const std::system_error&) {
        composeHere(); // no thread to be had: compose and write in turn
        return;
    }
    try {
        Piece piece;
        while (pipe.take(piece)) {
            write(piece.text());
            pipe.giveBack(std::move(piece));
        }
    } catch (...) {
        pipe.cancel();
        composer.join();
        throw;
    }
    composer.join();
    if (auto error = pipe.error()) {
        std::rethrow_exception(error);
    }
}

void WriteExport(const std::string& outputPath, const ExportRequest& request) {
    platform::SafeFile file(outputPath);
    StreamExport([&file](std::string_view bytes) { file.write(bytes); }, request);
    file.commit();
}

} // namespace zentory
