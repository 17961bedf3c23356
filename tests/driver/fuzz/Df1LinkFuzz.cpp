// Arbitrary byte streams through the real unit assembler, unit cutter and
// receive step: no crash, every answer a control message, and the link buffer
// never grows past one unit. Framing round-trips for the same bytes.
#include <cstdint>
#include <cstdlib>

#include "driver/Df1Protocol.h"
#include "driver/Df1Utils.h"

using namespace gantry::driver;

namespace {

// A line that delivers the fuzz input the way the serial port does: one
// assembled unit (with any stray bytes in front) per read.
class StreamPort : public CComPort {
public:
    StreamPort(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    bool Write(const ByteMessage& message) override {
        if (!(message == Df1AckMessage() || message == Df1NakMessage())) {
            std::abort();
        }
        return true;
    }
    using CComPort::Read;
    ByteMessage Read(Deadline) override {
        while (m_at < m_size) {
            if (m_unit.Add(m_data[m_at++])) {
                return m_unit.Take();
            }
        }
        m_unit.Clear();
        return {};
    }
    bool Done() const { return m_at >= m_size; }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_at = 0;
    CDf1UnitAssembler m_unit;
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
    CDf1Protocol link(&port, &sink);
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
