// ByteBuffer: little-endian serialisation of RIFF structures into memory, with
// the positions of fields that are patched in the file later.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace frametide::avi {

constexpr std::uint32_t Fourcc(std::string_view code)
{
    return std::uint32_t(std::uint8_t(code[0])) | std::uint32_t(std::uint8_t(code[1])) << 8 |
           std::uint32_t(std::uint8_t(code[2])) << 16 | std::uint32_t(std::uint8_t(code[3])) << 24;
}

class ByteBuffer {
public:
    std::size_t Size() const { return m_bytes.size(); }
    std::span<const std::uint8_t> Bytes() const { return m_bytes; }

    void U8(std::uint8_t value) { m_bytes.push_back(value); }
    void U16(std::uint16_t value)
    {
        U8(std::uint8_t(value));
        U8(std::uint8_t(value >> 8));
    }
    void U32(std::uint32_t value)
    {
        U16(std::uint16_t(value));
        U16(std::uint16_t(value >> 16));
    }
    void U64(std::uint64_t value)
    {
        U32(std::uint32_t(value));
        U32(std::uint32_t(value >> 32));
    }
    void Code(std::string_view code) { U32(Fourcc(code)); }
    void Append(std::span<const std::uint8_t> bytes) { m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end()); }
    void Zeros(std::size_t count) { m_bytes.resize(m_bytes.size() + count, 0); }
    void PadToEven()
    {
        if (m_bytes.size() % 2 != 0)
            U8(0);
    }
    void PatchU32(std::size_t at, std::uint32_t value)
    {
        for (int i = 0; i < 4; ++i)
            m_bytes[at + i] = std::uint8_t(value >> (8 * i));
    }

    // Opens a chunk: writes its code and a size placeholder; returns the size's position.
    std::size_t BeginChunk(std::string_view code)
    {
        Code(code);
        std::size_t sizeAt = Size();
        U32(0);
        return sizeAt;
    }
    std::size_t BeginList(std::string_view listType)
    {
        std::size_t sizeAt = BeginChunk("LIST");
        Code(listType);
        return sizeAt;
    }
    // Closes a chunk or list opened at sizeAt: fills in its size and pads it to an even length.
    void EndChunk(std::size_t sizeAt)
    {
        PatchU32(sizeAt, std::uint32_t(Size() - sizeAt - 4));
        PadToEven();
    }

private:
    std::vector<std::uint8_t> m_bytes;
};

} // namespace frametide::avi
