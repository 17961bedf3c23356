// Arbitrary byte streams through the link's real unit reader and assembler,
// unit cutter and receive step: no crash, every answer a control message, and the link buffer
// never grows past one unit. Framing round-trips for the same bytes.
#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "driver/Df1Protocol.h"
#include "driver/Df1Utils.h"

using namespace gantry;

using namespace gantry::driver;

namespace {

// A line that delivers the fuzz input as a serial port does: in pieces of
// varying size as they come (the link's own unit reader assembles them).
class StreamPort : public CComPort {
public:
    StreamPort(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    bool Write(const ByteMessage& message) override {
        if (!(message == Df1AckMessage() || message == Df1NakMessage())) {
            std::abort();
        }
        return true;
    }
    ByteMessage Read(std::chrono::milliseconds) override {
        if (m_at >= m_size) {
            return {};
        }
        // piece sizes 1 to 8, taken from the data itself
        const std::size_t piece = std::min<std::size_t>(1 + m_data[m_at] % 8, m_size - m_at);
        const ByteMessage bytes(m_data + m_at, m_data + m_at + piece);
        m_at += piece;
        return bytes;
    }
    bool Done() const { return m_at >= m_size; }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_at = 0;
};

class CountingSink : public IDf1MessageSink {
public:
    void ReceiveMessage(const ByteMessage& message) override {
        if (message.empty()) {
            std::abort();
        }
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    StreamPort port(data, size);
    CountingSink sink;
    CInstantClock clock;
    CDf1Protocol link(&port, &sink, clock);
    // Each look takes at least one byte or ends the stream, so this terminates.
    for (std::size_t looks = 0; looks <= size + 1; ++looks) {
        ByteMessage out;
        link.Receive(out, (looks & 1) != 0, 0);
        if (link.Buffer().size() > f_nMaxDf1UnitLength) {
            std::abort();
        }
        if (port.Done() && link.Buffer().empty()) {
            break;
        }
    }
    if (size > 0) {
        const ByteMessage message(data, data + size);
        const ByteMessage frame = BuildDf1AppMessage(message);
        if (!IsValidDf1AppMessage(frame) || ExtractDf1AppData(frame) != message ||
            GetDf1Checksum(frame) != ComputeDf1Checksum(message)) {
            std::abort();
        }
        ByteMessage buffer = frame;
        if (CutDf1Unit(buffer) != frame || !buffer.empty()) {
            std::abort();
        }
    }
    return 0;
}
