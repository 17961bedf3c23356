// The virtual gateway: its options, its own object behaviours, and the line
// it plays for the real driver (loaded with dlopen), faults included.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "TestSupport.h"
#include "common/PacketQueue.h"
#include "common/SharedLibrary.h"
#include "driver/DriverInterface.h"
#include "gateway/FaultInjector.h"
#include "gateway/GatewayObjects.h"
#include "gateway/GatewayOptions.h"
#include "gateway/PseudoTerminal.h"
#include "gateway/VirtualGateway.h"

using namespace gantry;

using namespace gantry::driver;
using namespace gantry::gateway;

namespace {

using Bytes = std::vector<std::uint8_t>;

const char* const kProfile =
    "[Identity]\r\nProduct Name=Test Gateway\r\nRun Mode=Run\r\nFirmware Revision=2.7\r\n";

// A gateway on a new pseudo-terminal, served on its own thread.
class RunningGateway {
public:
    explicit RunningGateway(const GatewayOptions& options) : m_objects(options) {
        std::string error;
        if (!m_line.OpenPseudoTerminal(error)) {
            std::abort();
        }
        m_gateway = std::make_unique<CVirtualGateway>(
            m_line.Fd(), options,
            [this](std::uint8_t* buffer, int length, int capacity) {
                return m_objects.Answer(buffer, length, capacity);
            },
            [this] { return m_objects.IsUnreachable(); });
        m_thread = std::thread([this] { m_gateway->Run(m_stop); });
    }
    ~RunningGateway() {
        m_stop = true;
        m_thread.join();
    }
    const std::string& Path() const { return m_line.Path(); }
    CVirtualGateway& Gateway() { return *m_gateway; }

private:
    CGatewayObjects m_objects;
    CGatewayLine m_line;
    std::unique_ptr<CVirtualGateway> m_gateway;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

// Replies carry two reserved bytes after the status that nobody reads.
Bytes Unreserved(Bytes reply) {
    for (std::size_t i = 2; i < 4 && i < reply.size(); ++i) {
        reply[i] = 0;
    }
    return reply;
}

Bytes Answer(CGatewayObjects& objects, Bytes request) {
    request.resize(512);
    const int length = objects.Answer(request.data(), static_cast<int>(request.size()), 512);
    return Bytes(request.begin(), request.begin() + std::max(length, 0));
}

Bytes AnswerExact(CGatewayObjects& objects, const Bytes& request) {
    Bytes buffer = request;
    buffer.resize(512);
    const int length = objects.Answer(buffer.data(), static_cast<int>(request.size()), 512);
    return Unreserved(Bytes(buffer.begin(), buffer.begin() + std::max(length, 0)));
}

class GatewayLineTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteFileBytes(gantryDir.File("GYSim.ini"), kProfile);
        ASSERT_TRUE(library.Open(KVGYSRL_PATH)) << library.Error();
        connect = library.Resolve<SP_ConnectFn>("SP_Connect");
        disconnect = library.Resolve<SP_DisconnectFn>("SP_Disconnect");
        ASSERT_TRUE(connect && disconnect);
    }

    std::int16_t Connect(const std::string& path, std::int32_t protocol = 1) {
        transmit = std::make_unique<CPacketQueue>(50, protocol);
        command = std::make_unique<CPacketQueue>(50, -1);
        receive = std::make_unique<CPacketQueue>(50, protocol);
        return connect(201, path.c_str(), protocol, transmit.get(), command.get(), receive.get());
    }

    // Sends a CIP request and waits for the next packet; empty when none came.
    Bytes Exchange(const Bytes& request, int timeoutMs = 3000) {
        transmit->Push(CPacketCIP(static_cast<int>(request.size()), request.data()));
        CPacketCIP reply;
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (std::chrono::steady_clock::now() < until) {
            if (receive->Pop(reply)) {
                return Unreserved(Bytes(reply.m_data, reply.m_data + reply.m_nLength));
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return {};
    }

    ScopedGantryDir gantryDir;
    CSharedLibrary library;
    SP_ConnectFn connect = nullptr;
    SP_DisconnectFn disconnect = nullptr;
    std::unique_ptr<CPacketQueue> transmit;
    std::unique_ptr<CPacketQueue> command;
    std::unique_ptr<CPacketQueue> receive;
};

const Bytes kReadName{0x0E, 0x01, 0x00, 0x01, 0x00, 0x07};
const Bytes kNameReply{0x8E, 0x00, 0x00, 0x00, 12,  'T', 'e', 's', 't',
                       ' ',  'G',  'a',  't',  'e', 'w', 'a', 'y'};

}  // namespace

TEST(GatewayOptions, ValuesAndFlags_AreParsed) {
    std::string error;
    const auto options = ParseGatewayOptions(
        {"--baud", "19200", "--link", "/tmp/x/com1", "--stay-in-run", "--update-status", "16",
         "--fail-transfer-at", "3", "--reset-downtime", "1.5", "--enq-every", "4", "--fault-every",
         "300", "--fault-seed", "77"},
        error);
    ASSERT_TRUE(options) << error;
    EXPECT_EQ(options->baud, 19200);
    EXPECT_EQ(options->link, "/tmp/x/com1");
    EXPECT_TRUE(options->stayInRun);
    EXPECT_EQ(options->updateStatus, 16);
    EXPECT_EQ(options->failTransferAt, 3);
    EXPECT_DOUBLE_EQ(options->resetDowntimeSeconds, 1.5);
    EXPECT_EQ(options->enqEvery, 4);
    EXPECT_EQ(options->profile, "GYSim.ini");
    EXPECT_EQ(options->faultEvery, 300);
    EXPECT_EQ(options->faultSeed, 77);
}

TEST(FaultInjector, SameSeedGivesSameFaults_EveryKindComes_NoneWithoutARate) {
    CFaultInjector first(42, 3), second(42, 3), none(42, 0);
    int faults = 0;
    for (int i = 0; i < 3000; ++i) {
        const LineFault fault = first.Next();
        ASSERT_EQ(second.Next(), fault) << i;
        ASSERT_EQ(none.Next(), LineFault::None);
        faults += fault != LineFault::None;
    }
    EXPECT_NEAR(faults, 1000, 150);
    std::uint64_t counted = 0;
    for (LineFault kind : {LineFault::Corrupt, LineFault::Nak, LineFault::Silence,
                           LineFault::Vanish, LineFault::Reset}) {
        EXPECT_GT(first.Count(kind), 0u);
        counted += first.Count(kind);
    }
    EXPECT_EQ(counted, static_cast<std::uint64_t>(faults));
    const auto silence = first.SilenceLength();
    EXPECT_GE(silence.count(), 300);
    EXPECT_LE(silence.count(), 3000);
}

TEST(GatewayOptions, UnknownOptionsAndBadValues_AreRefused) {
    std::string error;
    EXPECT_FALSE(ParseGatewayOptions({"--bogus"}, error));
    EXPECT_NE(error.find("--bogus"), std::string::npos);
    EXPECT_FALSE(ParseGatewayOptions({"--baud", "fast"}, error));
    EXPECT_FALSE(ParseGatewayOptions({"--baud"}, error));
    EXPECT_FALSE(ParseGatewayOptions({"--update-status", "300"}, error));
    EXPECT_FALSE(ParseGatewayOptions({"--reset-downtime", "-1"}, error));
}

TEST(GatewayObjects, StayInRun_AcceptsRunStateWritesWithoutChangingState) {
    ScopedGantryDir dir;
    WriteFileBytes(dir.File("GYSim.ini"), kProfile);
    GatewayOptions options;
    options.stayInRun = true;
    CGatewayObjects objects(options);
    EXPECT_EQ(AnswerExact(objects, {0x10, 0x01, 0x00, 0x01, 0x00, 0x67, 0x00}),
              (Bytes{0x90, 0x00, 0x00, 0x00}));
    EXPECT_EQ(AnswerExact(objects, {0x0E, 0x01, 0x00, 0x01, 0x00, 0x67}),
              (Bytes{0x8E, 0x00, 0x00, 0x00, 0x01}));
    // Without the option the write goes through to the simulator.
    CGatewayObjects plain(GatewayOptions{});
    AnswerExact(plain, {0x10, 0x01, 0x00, 0x01, 0x00, 0x67, 0x00});
    EXPECT_EQ(AnswerExact(plain, {0x0E, 0x01, 0x00, 0x01, 0x00, 0x67}),
              (Bytes{0x8E, 0x00, 0x00, 0x00, 0x00}));
}

TEST(GatewayObjects, UpdateStatusAndFailedTransfer_AreAnsweredByTheGateway) {
    ScopedGantryDir dir;
    WriteFileBytes(dir.File("GYSim.ini"), kProfile);
    GatewayOptions options;
    options.updateStatus = 16;
    options.failTransferAt = 2;
    CGatewayObjects objects(options);
    const Bytes update{0x4B, 0xA1, 0x00, 0x01, 0x00, 0xE8, 0x03, 0x00, 0x00, 0, 0, 0, 0};
    EXPECT_EQ(AnswerExact(objects, update), (Bytes{0xCB, 0x10, 0x00, 0x00}));
    const Bytes chunk{0x4D, 0xA1, 0x00, 0x01, 0x00, 0x80, 0x00, 0x00, 0x00, 0xAA, 0xBB};
    const Bytes first = AnswerExact(objects, chunk);
    ASSERT_GE(first.size(), 2u);
    EXPECT_EQ(first[0], 0xCD);
    EXPECT_EQ(AnswerExact(objects, chunk),
              (Bytes{0xCD, 0x00, 0x00, 0x00, 0x80, 0x00, 0x00, 0x00, 0x03, 0x00}));
    EXPECT_EQ(objects.TransferRequests(), 2);
    EXPECT_EQ(Answer(objects, {0x0E, 0x01, 0x00, 0x01, 0x00, 0x07}).at(0), 0x8E);
}

TEST_F(GatewayLineTest, IdentityRead_IsAnsweredFromTheProfileThroughTheDriver) {
    RunningGateway gateway(GatewayOptions{});
    ASSERT_EQ(Connect(gateway.Path()), 0);
    EXPECT_TRUE(gateway.Gateway().Connected());
    EXPECT_EQ(gateway.Gateway().SelectedProtocol(), 1);
    EXPECT_EQ(Exchange(kReadName), kNameReply);
    EXPECT_EQ(disconnect(201), 0);
    EXPECT_FALSE(gateway.Gateway().Connected());
    // The line outlives a client: connect again.
    ASSERT_EQ(Connect(gateway.Path()), 0);
    EXPECT_EQ(Exchange(kReadName), kNameReply);
    EXPECT_EQ(disconnect(201), 0);
}

TEST_F(GatewayLineTest, EnqForAFrame_MakesTheDriverResendAndTheRequestSucceeds) {
    GatewayOptions options;
    options.enqEvery = 3;  // connect, select, then the request
    RunningGateway gateway(options);
    ASSERT_EQ(Connect(gateway.Path()), 0);
    EXPECT_EQ(Exchange(kReadName), kNameReply);
    EXPECT_EQ(gateway.Gateway().FramesReceived(), 4u);
    EXPECT_EQ(disconnect(201), 0);
}

TEST_F(GatewayLineTest, CorruptedReply_IsNakedAndResentOnceSoTheRequestIsAnswered) {
    GatewayOptions options;
    options.corruptEvery = 3;  // connect reply, select reply, then the first data reply
    RunningGateway gateway(options);
    ASSERT_EQ(Connect(gateway.Path()), 0);
    // the driver NAKs the bad check byte; the gateway sends the frame again, intact
    EXPECT_EQ(Exchange(kReadName), kNameReply);
    EXPECT_EQ(Exchange(kReadName), kNameReply);
    EXPECT_EQ(disconnect(201), 0);
}

TEST_F(GatewayLineTest, NakForARequest_DropsItAndTheNextIsAnswered) {
    GatewayOptions options;
    options.nakEvery = 3;
    RunningGateway gateway(options);
    ASSERT_EQ(Connect(gateway.Path()), 0);
    EXPECT_TRUE(Exchange(kReadName, 500).empty());
    EXPECT_EQ(Exchange(kReadName), kNameReply);
    EXPECT_EQ(disconnect(201), 0);
}

TEST_F(GatewayLineTest, SilentGateway_LosesRequestsAndDisconnectStillReturnsZero) {
    GatewayOptions options;
    options.silentAfter = 2;
    RunningGateway gateway(options);
    ASSERT_EQ(Connect(gateway.Path()), 0);
    EXPECT_TRUE(Exchange(kReadName, 700).empty());
    EXPECT_EQ(disconnect(201), 0);
}

TEST_F(GatewayLineTest, Reset_MakesTheGatewayUnreachableForItsDowntime) {
    GatewayOptions options;
    options.resetDowntimeSeconds = 0.8;
    RunningGateway gateway(options);
    ASSERT_EQ(Connect(gateway.Path()), 0);
    EXPECT_EQ(Exchange({0x05, 0x01, 0x00, 0x01, 0x00}), (Bytes{0x85, 0x00, 0x00, 0x00}));
    EXPECT_TRUE(Exchange(kReadName, 300).empty());
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    EXPECT_EQ(Exchange(kReadName), kNameReply);
    EXPECT_EQ(disconnect(201), 0);
}

TEST_F(GatewayLineTest, VanishedPort_HangsUpItsClientAndReturnsBehindTheSameLink) {
    WriteFileBytes(gantryDir.File("GYSim.ini"), kProfile);
    CGatewayLine line;
    std::string error;
    const std::string link = gantryDir.File("dosdevices/com7");
    ASSERT_TRUE(line.OpenPseudoTerminal(error) && line.CreateLink(link, error)) << error;
    CGatewayObjects objects(GatewayOptions{});
    auto serve = [&objects](std::uint8_t* buffer, int length, int capacity) {
        return objects.Answer(buffer, length, capacity);
    };
    auto gateway = std::make_unique<CVirtualGateway>(line.Fd(), GatewayOptions{}, serve);
    std::atomic<bool> stop{false};
    std::thread thread([&] { gateway->Run(stop); });
    ASSERT_EQ(Connect(link), 0);
    EXPECT_EQ(Exchange(kReadName), kNameReply);
    stop = true;
    thread.join();

    const std::string before = line.Path();
    ASSERT_TRUE(line.Reopen(std::chrono::milliseconds(50), error)) << error;
    EXPECT_NE(line.Path(), before);
    EXPECT_EQ(std::filesystem::read_symlink(link).string(), line.Path());
    // the old line hung up: the connected client gets no answer any more
    EXPECT_TRUE(Exchange(kReadName, 300).empty());
    EXPECT_EQ(disconnect(201), 0);

    gateway = std::make_unique<CVirtualGateway>(line.Fd(), GatewayOptions{}, serve);
    stop = false;
    thread = std::thread([&] { gateway->Run(stop); });
    ASSERT_EQ(Connect(link), 0);
    EXPECT_EQ(Exchange(kReadName), kNameReply);
    EXPECT_EQ(disconnect(201), 0);
    stop = true;
    thread.join();
}

TEST_F(GatewayLineTest, J1708Client_GetsGeneratedTrafficOnceItPassesAll) {
    GatewayOptions options;
    options.j1708EveryMs = 20;
    RunningGateway gateway(options);
    ASSERT_EQ(Connect(gateway.Path(), 2), 0);
    EXPECT_FALSE(gateway.Gateway().PassAll());
    command->Push(CCmdPacket(17, 0));
    CPacket1708 packet;
    bool received = false;
    for (int i = 0; i < 300 && !received; ++i) {
        received = receive->Pop(packet);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_TRUE(received);
    EXPECT_EQ(packet.m_nPriority, 8);
    EXPECT_EQ(packet.m_nMid, 128);
    EXPECT_EQ(packet.m_nLength, 2);
    EXPECT_EQ(packet.m_data[0], 84);
    const std::uint8_t data[] = {0x01};
    transmit->Push(CPacket1708(4, 0xAC, 1, data));
    for (int i = 0; i < 200 && gateway.Gateway().J1708MessagesReceived() == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(gateway.Gateway().J1708MessagesReceived(), 1u);
    EXPECT_EQ(disconnect(201), 0);
}

TEST_F(GatewayLineTest, PacedLine_TakesAtLeastTheWireTime) {
    GatewayOptions options;
    options.baud = 19200;
    RunningGateway gateway(options);
    ASSERT_EQ(Connect(gateway.Path()), 0);
    const std::uint64_t before = gateway.Gateway().BytesReceived() + gateway.Gateway().BytesSent();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Exchange(kReadName), kNameReply);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));  // the last ACK
    const std::uint64_t bytes =
        gateway.Gateway().BytesReceived() + gateway.Gateway().BytesSent() - before;
    // The final ACK of the reply crosses after the client already has it.
    const double wireSeconds = static_cast<double>(bytes - 2) * 11.0 / 19200.0;
    EXPECT_GE(std::chrono::duration<double>(elapsed).count(), wireSeconds * 0.98);
    EXPECT_EQ(disconnect(201), 0);
}
