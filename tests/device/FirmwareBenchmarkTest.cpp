// Benchmark: a 256 KiB image written through the real RP1210 library and
// serial driver to the virtual gateway on a line paced at 19200 baud, against
// the time its bytes need on the wire (every frame of every exchange and its
// DLE ACK, at 11 bits a character).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

#include "FirmwareFixture.h"
#include "TestSupport.h"
#include "driver/Df1Utils.h"
#include "rp1210/GatewayProcess.h"
#include "tool/device/SerialTransport.h"

using namespace gantry::tool;

using gantry::driver::BuildDf1AppMessage;
using gantry::driver::ByteMessage;

namespace {

constexpr double f_secondsPerCharacter = 11.0 / 19200.0;
constexpr std::size_t f_nImageSize = 256 * 1024;

// Characters on the line for each exchange that passes the gate: the request
// frame, its DLE ACK, the reply frame and its DLE ACK; both frames carry the
// data message header (type, two sequence bytes).
class CWireTime {
public:
    void Install(CRequestGate& gate) {
        gate.SetRequestObserver(
            [this](const std::vector<std::uint8_t>& request, int result, const DeviceReply& reply) {
                m_characters += Frame(request) + 2;
                if (result == 1) {
                    std::vector<std::uint8_t> bytes = {
                        static_cast<std::uint8_t>(reply.service | 0x80), reply.generalStatus, 0, 0};
                    bytes.insert(bytes.end(), reply.data, reply.data + reply.dataLength);
                    m_characters += Frame(bytes) + 2;
                }
                ++m_exchanges;
            });
    }
    double Seconds() const { return static_cast<double>(m_characters) * f_secondsPerCharacter; }
    long Exchanges() const { return m_exchanges; }

private:
    std::size_t Frame(const std::vector<std::uint8_t>& body) {
        ++m_sequence;
        ByteMessage message = {0x06, static_cast<std::uint8_t>(m_sequence >> 8),
                               static_cast<std::uint8_t>(m_sequence & 0xFF)};
        message.insert(message.end(), body.begin(), body.end());
        return BuildDf1AppMessage(message).size();
    }

    long m_characters = 0;
    long m_exchanges = 0;
    std::uint16_t m_sequence = 0;
};

TEST(FirmwareBenchmark, Image256KiBAt19200BaudAgainstTheWireTime) {
    ScopedGantryDir dir;
    WriteFileBytes(dir.File("GYSim.ini"),
                   "[Identity]\r\nRun Mode=Idle\r\n[NVS_1]\r\nStatus=1\r\nRevision=0x0A02\r\n"
                   "[NVS_2]\r\nStatus=1\r\nRevision=0x0301\r\n");
    WriteFileBytes(
        dir.File("KV121032.INI"),
        std::string("[DeviceInformation101]\r\nDeviceParams=") + KVGYSRL_PATH + " COM1\r\n");
    WriteFileBytes(dir.File("big.bin"), ImageBytes(f_nImageSize));
    WriteFileBytes(dir.File("big.nvs"),
                   DeviceSection("1") + UpdateSection(1, 1, "2", "10", "big.bin", f_nImageSize,
                                                      "UpdateReset=0\r\n"));
    CGatewayProcess gateway;
    ASSERT_TRUE(gateway.Start(dir.File("dosdevices/com1"), {"--baud", "19200"}));

    CMessageRecorder messages;
    CRequestGate gate(std::make_unique<CSerialTransport>(KV121032_PATH), &messages);
    OfflineIdentity offline;
    CDevice device(gate, offline);
    ASSERT_EQ(gate.BindLibrary(), DeviceResult::Done);
    ASSERT_EQ(device.ReadRunState(), RS_Idle);
    CFirmwareUpdate update(gate, device);
    ASSERT_TRUE(update.Open());
    ASSERT_TRUE(update.SelectFile(dir.File("big.nvs")));

    CWireTime wire;
    wire.Install(gate);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(update.Start(), FlashOutcome::Verified);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double ratio = seconds / wire.Seconds();
    std::printf(
        "firmware: %zu bytes, %ld exchanges in %.2f s = %.0f bytes/s; wire time %.2f s; "
        "ratio %.3f\n",
        f_nImageSize, wire.Exchanges(), seconds, f_nImageSize / seconds, wire.Seconds(), ratio);
    EXPECT_EQ(messages.Texts(),
              std::vector<std::string>{"Device was successfully flashed and reset"});
    EXPECT_GE(ratio, 0.98) << "faster than the wire: the pacing is not real";
    EXPECT_LE(ratio, 1.35);
    RecordProperty("seconds", std::to_string(seconds));
    RecordProperty("wire_ratio", std::to_string(ratio));
}

}  // namespace
