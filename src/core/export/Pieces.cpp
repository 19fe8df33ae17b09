#include "export/Pieces.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace zentory::pieces {

namespace {

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

} // namespace

void streamPieces(const std::function<void(std::string_view)>& write,
                  const std::function<void(TextSink&)>& compose, bool piped) {
    auto composeHere = [&] {
        TextSink sink([&write](Piece& p) {
            write(p.text());
            p.size = 0;
        });
        compose(sink);
    };
    if (!piped) {
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

} // namespace zentory::pieces
