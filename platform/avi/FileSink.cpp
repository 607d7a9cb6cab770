// FileSink: POSIX descriptor wrapper for the AVI writer.
#include "platform/avi/FileSink.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/uio.h>
#include <unistd.h>

namespace frametide::avi {

FileSink::FileSink(const std::string &path)
    : m_fd(::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666))
{
}

FileSink::~FileSink()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool FileSink::WriteAt(std::uint64_t offset, std::span<const std::span<const std::uint8_t>> pieces)
{
    // A few pieces per call (chunk header, payload, pad byte): kept on the stack.
    constexpr size_t kMaxPieces = 8;
    if (m_fd < 0 || pieces.size() > kMaxPieces)
        return false;
    iovec vectors[kMaxPieces];
    size_t count = 0;
    size_t remaining = 0;
    for (auto piece : pieces) {
        if (piece.empty())
            continue;
        vectors[count++] = {const_cast<std::uint8_t *>(piece.data()), piece.size()};
        remaining += piece.size();
    }
    iovec *next = vectors;
    while (remaining > 0) {
        ssize_t written = ::pwritev(m_fd, next, static_cast<int>(count - (next - vectors)), static_cast<off_t>(offset));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        offset += static_cast<std::uint64_t>(written);
        remaining -= static_cast<size_t>(written);
        // Step past what a short write took and go on with the rest.
        size_t done = static_cast<size_t>(written);
        while (remaining > 0 && done >= next->iov_len) {
            done -= next->iov_len;
            ++next;
        }
        if (remaining > 0) {
            next->iov_base = static_cast<std::uint8_t *>(next->iov_base) + done;
            next->iov_len -= done;
        }
    }
    return true;
}

bool FileSink::WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes)
{
    const std::span<const std::uint8_t> pieces[] = {bytes};
    return WriteAt(offset, pieces);
}

bool FileSink::WriteU32At(std::uint64_t offset, std::uint32_t value)
{
    const std::uint8_t bytes[4] = {std::uint8_t(value), std::uint8_t(value >> 8), std::uint8_t(value >> 16),
                                   std::uint8_t(value >> 24)};
    return WriteAt(offset, bytes);
}

bool FileSink::ReadAt(std::uint64_t offset, std::span<std::uint8_t> bytes)
{
    size_t done = 0;
    while (m_fd >= 0 && done < bytes.size()) {
        ssize_t got = ::pread(m_fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        done += static_cast<size_t>(got);
    }
    return m_fd >= 0;
}

bool FileSink::Truncate(std::uint64_t size)
{
    return m_fd >= 0 && ::ftruncate(m_fd, static_cast<off_t>(size)) == 0;
}

void FileSink::SyncData()
{
    if (m_fd >= 0)
        ::fdatasync(m_fd);
}

} // namespace frametide::avi
