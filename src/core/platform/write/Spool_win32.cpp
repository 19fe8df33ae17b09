#include "platform/write/Spool.h"

#include "platform/StepFailure.h"
#include "platform/win32/ErrorCode.h"
#include "platform/win32/Handle.h"
#include "platform/win32/LongPath.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <iterator>

namespace zentory::platform {

namespace {

// Bytes up to this many stay in memory.
constexpr std::int64_t kInMemory = std::int64_t{8} << 20;

OVERLAPPED at(std::int64_t offset) {
    OVERLAPPED o{};
    o.Offset = static_cast<DWORD>(static_cast<uint64_t>(offset) & 0xffffffff);
    o.OffsetHigh = static_cast<DWORD>(static_cast<uint64_t>(offset) >> 32);
    return o;
}

// A failure that the next place may not have.
bool forWantOfRoom(int err) {
    return err == ENOSPC;
}

// Writes all of `bytes` into `h` at `offset`. Returns 0, or the errno.
int writeAt(HANDLE h, std::string_view bytes, std::int64_t offset) noexcept {
    if (const int err = failingStep(Step::Write)) {
        return err;
    }
    while (!bytes.empty()) {
        OVERLAPPED o = at(offset);
        DWORD n = 0;
        const auto chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1 << 20));
        if (!WriteFile(h, bytes.data(), chunk, &n, &o)) {
            return errnoOf(GetLastError());
        }
        if (n == 0) {
            return EIO;
        }
        bytes.remove_prefix(n);
        offset += n;
    }
    return 0;
}

// Copies `count` bytes from `in` at `from` to `out` at `to`.
int copyRange(HANDLE in, std::int64_t from, HANDLE out, std::int64_t to,
              std::int64_t count) noexcept {
    std::string buffer;
    while (count > 0) {
        buffer.resize(static_cast<size_t>(std::min<std::int64_t>(count, std::int64_t{1} << 20)));
        OVERLAPPED o = at(from);
        DWORD n = 0;
        if (!ReadFile(in, buffer.data(), static_cast<DWORD>(buffer.size()), &n, &o)) {
            return errnoOf(GetLastError());
        }
        if (n == 0) {
            return EIO; // a file that ended early counts as a failed read
        }
        if (const int err = writeAt(out, {buffer.data(), n}, to)) {
            return err;
        }
        from += n;
        to += n;
        count -= n;
    }
    return 0;
}

} // namespace

Spool::~Spool() {
    if (m_spill.valid()) {
        CloseHandle(handleOf(m_spill));
    }
}

// Moves the bytes held (in memory, or in the spill file of a place that ran
// out of room) into a file that the system deletes once it is closed, so that
// a killed program leaves nothing behind: beside the rewritten file, or in the
// temporary folder, the next of them that has room.
int Spool::spill() noexcept {
    wchar_t temp[MAX_PATH + 1];
    const DWORD tempLength = GetTempPathW(MAX_PATH + 1, temp);
    std::wstring places[2] = {longPath(m_folder), tempLength > 0 ? std::wstring(temp) : L""};
    if (m_prefer == Prefer::Temporary) {
        std::swap(places[0], places[1]);
    }
    int err = ENOENT;
    static volatile LONG counter = 0;
    for (; m_place < std::size(places); ++m_place) {
        std::wstring name = places[m_place];
        if (name.empty()) {
            continue;
        }
        if (name.back() != L'\\') {
            name += L'\\';
        }
        name += L"~zentory-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                std::to_wstring(InterlockedIncrement(&counter)) + L".tmp";
        if (const int armed = failingStep(Step::Spill)) {
            err = armed;
            continue;
        }
        HANDLE h = CreateFileW(
            name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
            FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            err = errnoOf(GetLastError());
            continue;
        }
        err = m_spill.valid() ? copyRange(handleOf(m_spill), 0, h, 0, m_size)
                              : writeAt(h, m_memory, 0);
        if (err != 0) {
            CloseHandle(h);
            if (forWantOfRoom(err)) {
                continue;
            }
            return err;
        }
        if (m_spill.valid()) {
            CloseHandle(handleOf(m_spill)); // gives the full place its room back
        }
        m_spill = fileHandleOf(h);
        ++m_place;
        std::string().swap(m_memory);
        return 0;
    }
    return err;
}

int Spool::append(std::string_view bytes) {
    if (!m_spill.valid() && m_size + static_cast<std::int64_t>(bytes.size()) <= kInMemory) {
        m_memory.append(bytes);
        m_size += static_cast<std::int64_t>(bytes.size());
        return 0;
    }
    if (!m_spill.valid()) {
        if (const int err = spill()) {
            return err;
        }
    }
    for (;;) {
        const int err = writeAt(handleOf(m_spill), bytes, m_size);
        if (err == 0) {
            break;
        }
        if (!forWantOfRoom(err) || spill() != 0) {
            return err;
        }
    }
    m_size += static_cast<std::int64_t>(bytes.size());
    return 0;
}

int Spool::appendFrom(FileHandle file, std::int64_t from, std::int64_t count) {
    if (!m_spill.valid() && m_size + count <= kInMemory) {
        const size_t before = m_memory.size();
        m_memory.resize(before + static_cast<size_t>(count));
        for (size_t done = 0; done < static_cast<size_t>(count);) {
            OVERLAPPED o = at(from + static_cast<std::int64_t>(done));
            DWORD n = 0;
            const auto want = static_cast<DWORD>(static_cast<size_t>(count) - done);
            if (!ReadFile(handleOf(file), m_memory.data() + before + done, want, &n, &o) ||
                n == 0) {
                const int err = n == 0 ? EIO : errnoOf(GetLastError());
                m_memory.resize(before);
                return err;
            }
            done += n;
        }
        m_size += count;
        return 0;
    }
    if (!m_spill.valid()) {
        if (const int err = spill()) {
            return err;
        }
    }
    for (;;) {
        const int err = copyRange(handleOf(file), from, handleOf(m_spill), m_size, count);
        if (err == 0) {
            break;
        }
        if (!forWantOfRoom(err) || spill() != 0) {
            return err;
        }
    }
    m_size += count;
    return 0;
}

int Spool::copyTo(FileHandle file, std::int64_t offset) const noexcept {
    if (!m_spill.valid()) {
        return writeAt(handleOf(file), m_memory, offset);
    }
    return copyRange(handleOf(m_spill), 0, handleOf(file), offset, m_size);
}

// Beside the rewritten file only, for now.
std::string Spool::saveCopy(const std::string& name) const noexcept {
    try {
        const std::string path = m_folder + "\\" + name + ".old";
        HANDLE h = CreateFileW(longPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            return {};
        }
        const bool kept = copyTo(fileHandleOf(h), 0) == 0 && FlushFileBuffers(h);
        CloseHandle(h);
        if (!kept) {
            DeleteFileW(longPath(path).c_str());
            return {};
        }
        return plainPath(path); // as a person would type it, without the "\\?\" prefix
    } catch (...) {
        return {};
    }
}

} // namespace zentory::platform
