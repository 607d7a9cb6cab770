// FileSink: the output file of an AVI writer as an owned descriptor with
// positioned writes and reads, so the container can patch headers in place,
// read its own index back and cut a failed append off again.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace frametide::avi {

class FileSink {
public:
    // Creates or truncates path for writing; IsOpen() tells whether it worked.
    explicit FileSink(const std::string &path);
    ~FileSink();
    FileSink(const FileSink &) = delete;
    FileSink &operator=(const FileSink &) = delete;

    bool IsOpen() const { return m_fd >= 0; }

    // Writes all pieces back to back at offset; false on any error or short write.
    bool WriteAt(std::uint64_t offset, std::span<const std::span<const std::uint8_t>> pieces);
    bool WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes);
    bool WriteU32At(std::uint64_t offset, std::uint32_t value);
    bool ReadAt(std::uint64_t offset, std::span<std::uint8_t> bytes);
    // Shrinks the file to size; shrinking works even past a file size limit.
    bool Truncate(std::uint64_t size);
    // Makes written data durable, so that headers written afterwards never point past it.
    void SyncData();

private:
    int m_fd = -1;
};

} // namespace frametide::avi
