// Reads typed values off a fuzzer's input; past its end every value is 0.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

class FuzzInput {
public:
    FuzzInput(const std::uint8_t *data, std::size_t size) : m_data(data), m_size(size) {}

    template <typename T>
    T Take()
    {
        T value{};
        const std::size_t n = sizeof(T) <= m_size ? sizeof(T) : m_size;
        std::memcpy(&value, m_data, n);
        m_data += n;
        m_size -= n;
        return value;
    }

    // A value from 0 to count - 1.
    std::uint32_t Pick(std::uint32_t count) { return count ? Take<std::uint32_t>() % count : 0; }
    bool Empty() const { return m_size == 0; }

private:
    const std::uint8_t *m_data;
    std::size_t m_size;
};
