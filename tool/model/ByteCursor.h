// Little-endian byte reading and writing of the .cfg file's records: a reader
// whose every read past the end fails, and a writer that appends.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace gantry::tool {

// Reads little-endian values; every read past the end fails the whole file.
class CByteReader {
public:
    explicit CByteReader(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}

    bool Long(std::uint32_t& value) {
        if (Remaining() < 4) {
            return false;
        }
        value = static_cast<std::uint32_t>(m_bytes[m_pos]) | (m_bytes[m_pos + 1] << 8) |
                (m_bytes[m_pos + 2] << 16) | (static_cast<std::uint32_t>(m_bytes[m_pos + 3]) << 24);
        m_pos += 4;
        return true;
    }
    bool Word(std::uint16_t& value) {
        if (Remaining() < 2) {
            return false;
        }
        value = static_cast<std::uint16_t>(m_bytes[m_pos] | (m_bytes[m_pos + 1] << 8));
        m_pos += 2;
        return true;
    }
    bool Byte(std::uint8_t& value) {
        if (Remaining() < 1) {
            return false;
        }
        value = m_bytes[m_pos++];
        return true;
    }
    bool Bytes(std::uint8_t* out, std::size_t count) {
        if (Remaining() < count) {
            return false;
        }
        std::copy_n(m_bytes.begin() + static_cast<std::ptrdiff_t>(m_pos), count, out);
        m_pos += count;
        return true;
    }
    std::size_t Remaining() const { return m_bytes.size() - m_pos; }

private:
    std::span<const std::uint8_t> m_bytes;
    std::size_t m_pos = 0;
};

class CByteWriter {
public:
    void Long(std::uint32_t value) {
        for (int shift = 0; shift < 32; shift += 8) {
            m_bytes.push_back(static_cast<std::uint8_t>(value >> shift));
        }
    }
    void Word(std::uint16_t value) {
        m_bytes.push_back(static_cast<std::uint8_t>(value));
        m_bytes.push_back(static_cast<std::uint8_t>(value >> 8));
    }
    void Byte(std::uint8_t value) { m_bytes.push_back(value); }
    void Bytes(std::span<const std::uint8_t> bytes) {
        m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
    }
    std::vector<std::uint8_t> Take() { return std::move(m_bytes); }

private:
    std::vector<std::uint8_t> m_bytes;
};

}  // namespace gantry::tool
