#include "driver/Df1Utils.h"

#include "common/Assert.h"

namespace gantry::driver {

const ByteMessage& Df1AckMessage() {
    static const ByteMessage message{DF1_DLE, DF1_ACK};
    return message;
}

const ByteMessage& Df1NakMessage() {
    static const ByteMessage message{DF1_DLE, DF1_NAK};
    return message;
}

std::uint8_t ComputeDf1Checksum(const ByteMessage& message) {
    std::uint8_t sum = 0;
    for (std::uint8_t byte : message) {
        sum = static_cast<std::uint8_t>(sum + byte);
    }
    return static_cast<std::uint8_t>(0x100 - sum);
}

ByteMessage BuildDf1AppMessage(const ByteMessage& message) {
    GY_ASSERT(message.size() > 0);
    ByteMessage frame{DF1_DLE, DF1_STX};
    for (std::uint8_t byte : message) {
        frame.push_back(byte);
        if (byte == DF1_DLE) {
            frame.push_back(byte);
        }
    }
    frame.push_back(DF1_DLE);
    frame.push_back(DF1_ETX);
    frame.push_back(ComputeDf1Checksum(message));
    return frame;
}

bool IsValidDf1AppMessage(const ByteMessage& message) {
    const std::size_t n = message.size();
    if (n == 0) {
        return true;
    }
    if (n <= 5 || message[0] != DF1_DLE || message[1] != DF1_STX || message[n - 3] != DF1_DLE ||
        message[n - 2] != DF1_ETX) {
        return false;
    }
    for (std::size_t i = 2; i < n - 3; ++i) {
        if (message[i] == DF1_DLE) {
            if (i + 1 >= n - 3 || message[i + 1] != DF1_DLE) {
                return false;
            }
            ++i;
        }
    }
    return true;
}

bool IsDf1ControlMessage(const ByteMessage& message) {
    return message.size() == 2 && message[0] == DF1_DLE &&
           (message[1] == DF1_ENQ || message[1] == DF1_ACK || message[1] == DF1_NAK);
}

ByteMessage ExtractDf1AppData(const ByteMessage& frame) {
    GY_ASSERT(IsValidDf1AppMessage(frame));
    ByteMessage data;
    if (frame.empty()) {
        return data;
    }
    for (std::size_t i = 2; i < frame.size() - 3; ++i) {
        data.push_back(frame[i]);
        if (frame[i] == DF1_DLE) {
            ++i;  // the second of a doubled pair
        }
    }
    return data;
}

std::uint8_t GetDf1Checksum(const ByteMessage& frame) {
    GY_ASSERT(IsValidDf1AppMessage(frame));
    GY_ASSERT(!frame.empty());
    return frame.back();
}

namespace {

// Index just past the check byte of the frame whose DLE STX starts at `start`,
// or 0 when the buffer holds no end for it.
std::size_t FindFrameEnd(const ByteMessage& buffer, std::size_t start) {
    bool afterDle = false;
    for (std::size_t i = start + 2; i < buffer.size(); ++i) {
        const std::uint8_t byte = buffer[i];
        if (!afterDle) {
            afterDle = byte == DF1_DLE;
            continue;
        }
        if (byte == DF1_DLE) {
            afterDle = false;
        } else if (byte == DF1_ETX && i + 1 < buffer.size()) {
            return i + 2;
        } else {
            return 0;
        }
    }
    return 0;
}

}  // namespace

ByteMessage CutDf1Unit(ByteMessage& buffer) {
    std::size_t dle = 0;
    while (dle < buffer.size() && buffer[dle] != DF1_DLE) {
        ++dle;
    }
    if (dle + 1 >= buffer.size()) {
        buffer.clear();
        return {};
    }
    std::size_t end = dle + 2;
    if (buffer[dle + 1] == DF1_STX) {
        const std::size_t frameEnd = FindFrameEnd(buffer, dle);
        if (frameEnd != 0) {
            end = frameEnd;
        }
    }
    ByteMessage unit(buffer.begin() + static_cast<std::ptrdiff_t>(dle),
                     buffer.begin() + static_cast<std::ptrdiff_t>(end));
    buffer.erase(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(end));
    return unit;
}

bool CDf1UnitAssembler::Add(std::uint8_t byte) {
    if (m_nCount == f_nMaxDf1UnitLength) {
        // No unit is this long: drop what was gathered and start over.
        m_nCount = 0;
        ++m_nDiscarded;
    }
    m_buffer[m_nCount++] = byte;
    return IsComplete();
}

bool CDf1UnitAssembler::IsComplete() const {
    const std::size_t count = m_nCount;
    if (count == 2) {
        return m_buffer[0] == DF1_DLE &&
               (m_buffer[1] == DF1_ENQ || m_buffer[1] == DF1_ACK || m_buffer[1] == DF1_NAK);
    }
    if (count <= 2 || m_buffer[count - 2] != DF1_ETX) {
        return false;
    }
    // The ETX closes a frame only after an odd run of DLEs.
    std::size_t run = 0;
    for (std::size_t i = count - 3;; --i) {
        if (m_buffer[i] != DF1_DLE) {
            break;
        }
        ++run;
        if (i == 0) {
            break;
        }
    }
    return run % 2 == 1;
}

ByteMessage CDf1UnitAssembler::Take() {
    ByteMessage unit(m_buffer, m_buffer + m_nCount);
    m_nCount = 0;
    return unit;
}

}  // namespace gantry::driver
