// The request gate: connected and offline flags, retries, lost replies and the
// recording hook.
#include <gtest/gtest.h>

#include "TestGateway.h"
#include "TestSupport.h"
#include "common/ProfileFile.h"
#include "tool/device/RequestGate.h"
#include "tool/device/SimulatorResponder.h"

using namespace gantry;

using namespace gantry::tool;

namespace {

class GateTest : public ::testing::Test {
protected:
    GateTest() {
        auto gateway = std::make_unique<CTestGateway>();
        m_gateway = gateway.get();
        m_gate = std::make_unique<CRequestGate>(std::move(gateway), nullptr, &m_clock);
        m_gate->SetDeviceLostHandler([this] { ++m_lost; });
        m_log.Install(*m_gate);
    }

    ScopedGantryDir m_dir;
    CInstantClock m_clock;
    CTestGateway* m_gateway = nullptr;
    std::unique_ptr<CRequestGate> m_gate;
    CRequestLog m_log;
    int m_lost = 0;
};

TEST_F(GateTest, NotConnected_SendsNothingAndFails) {
    DeviceReply reply;
    EXPECT_EQ(m_gate->SendDeviceRequest(MakeGetRequest(CLS_Identity, 1, 103), reply),
              DeviceResult::Failed);
    EXPECT_EQ(m_gateway->requests, 0);
    EXPECT_TRUE(m_log.encoded.empty());
    EXPECT_EQ(m_lost, 0);
}

TEST_F(GateTest, Connected_RequestIsAnsweredAndRecordedInItsByteForm) {
    WriteFileBytes(m_dir.File("GYSim.ini"), "[Identity]\nRun Mode=Run\n");
    ASSERT_EQ(m_gate->ConnectDevice(), DeviceResult::Done);
    EXPECT_TRUE(m_gate->IsConnected());
    DeviceReply reply;
    EXPECT_EQ(m_gate->SendDeviceRequest(MakeGetRequest(CLS_Identity, 1, 103), reply),
              DeviceResult::Done);
    EXPECT_EQ(reply.Byte(0), 1);
    ASSERT_EQ(m_log.encoded.size(), 1u);
    EXPECT_EQ(m_log.encoded[0], (std::vector<std::uint8_t>{14, 1, 0, 1, 0, 103}));
    EXPECT_EQ(m_log.results[0], 1);
}

TEST_F(GateTest, LostReply_DropsTheConnectionAndReportsTheDeviceLost) {
    ASSERT_EQ(m_gate->ConnectDevice(), DeviceResult::Done);
    m_gateway->loseReplies = true;
    DeviceReply reply;
    reply.data[0] = 7;
    EXPECT_EQ(m_gate->SendDeviceRequest(MakeGetRequest(CLS_Identity, 1, 6), reply),
              DeviceResult::Failed);
    EXPECT_FALSE(m_gate->IsConnected());
    EXPECT_EQ(m_gateway->disconnects, 1);
    EXPECT_EQ(m_lost, 1);
    EXPECT_EQ(reply.data[0], 0);
    // nothing more is sent until a new connect
    EXPECT_EQ(m_gate->SendDeviceRequest(MakeGetRequest(CLS_Identity, 1, 6), reply),
              DeviceResult::Failed);
    EXPECT_EQ(m_gateway->requests, 1);
    EXPECT_EQ(m_lost, 1);
}

TEST_F(GateTest, Offline_SimulatorAnswersAndConnectionIsUntouched) {
    WriteFileBytes(m_dir.File("GYSim.ini"), "[Identity]\nSerial Number=77\n");
    m_gate->SetOffline(true);
    EXPECT_EQ(m_gate->BindLibrary(), DeviceResult::Done);
    EXPECT_EQ(m_gate->ConnectDevice(), DeviceResult::Done);
    EXPECT_EQ(m_gateway->connects, 0);
    EXPECT_FALSE(m_gate->IsConnected());
    DeviceReply reply;
    EXPECT_EQ(m_gate->SendDeviceRequest(MakeGetRequest(CLS_Identity, 1, 6), reply),
              DeviceResult::Done);
    EXPECT_EQ(reply.Long(0), 77u);
    // a request that cannot even be encoded still answers 1 offline, and drops nothing
    DeviceRequest broken = MakeGetRequest(CLS_Identity, 1, 6);
    broken.dataLength = kDeviceDataSize + 1;
    EXPECT_EQ(m_gate->SendDeviceRequest(broken, reply), DeviceResult::Done);
    EXPECT_EQ(m_gateway->requests, 0);
    EXPECT_EQ(m_gateway->disconnects, 0);
    EXPECT_EQ(m_lost, 0);
    EXPECT_EQ(m_log.encoded.size(), 2u);
}

TEST_F(GateTest, OfflineWhileConnected_KeepsTheGatewayForLater) {
    ASSERT_EQ(m_gate->ConnectDevice(), DeviceResult::Done);
    m_gate->SetOffline(true);
    DeviceReply reply;
    m_gate->SendDeviceRequest(MakeSetRequest(CLS_Identity, 1, 103, std::vector<std::uint8_t>{1}),
                              reply);
    m_gate->SetOffline(false);
    EXPECT_TRUE(m_gate->IsConnected());
    EXPECT_EQ(m_gateway->requests, 0);
    EXPECT_EQ(m_gate->SendDeviceRequest(MakeGetRequest(CLS_Identity, 1, 103), reply),
              DeviceResult::Done);
    EXPECT_EQ(m_gateway->requests, 1);
}

TEST_F(GateTest, OfflineInALostSequence_AnswersOrRefusesButNeverLoses) {
    ASSERT_EQ(m_gate->ConnectDevice(), DeviceResult::Done);
    m_gate->BeginSequence();
    m_gateway->loseReplies = true;
    DeviceReply reply;
    EXPECT_EQ(m_gate->Exchange(MakeGetRequest(CLS_Identity, 1, 6), reply), RequestOutcome::Lost);
    // the offline responder holds no connection: the lost sequence does not stop it
    m_gate->SetOffline(true);
    EXPECT_TRUE(m_gate->IsOffline());
    EXPECT_EQ(m_gate->ConnectDevice(), DeviceResult::Done);
    EXPECT_EQ(m_gate->Exchange(MakeGetRequest(CLS_Identity, 1, 103), reply),
              RequestOutcome::Answered);
    DeviceRequest broken = MakeGetRequest(CLS_Identity, 1, 6);
    broken.dataLength = kDeviceDataSize + 1;
    EXPECT_EQ(m_gate->Exchange(broken, reply), RequestOutcome::Refused);
    EXPECT_EQ(m_log.results.back(), 0);
    EXPECT_EQ(m_gateway->connects, 1);
    EXPECT_EQ(m_gateway->requests, 1);
    EXPECT_FALSE(m_gate->IsConnected());
    EXPECT_EQ(m_lost, 0);
    m_gate->SetOffline(false);
    EXPECT_FALSE(m_gate->IsOffline());
    EXPECT_EQ(m_gate->ConnectDevice(), DeviceResult::Failed);
    EXPECT_TRUE(m_gate->EndSequence());
}

TEST_F(GateTest, ConnectWithRetry_TriesTwiceNWithHalfSecondPauses) {
    m_gateway->failConnects = 1000;
    EXPECT_EQ(m_gate->ConnectWithRetry(3), DeviceResult::Failed);
    EXPECT_EQ(m_gateway->connects, 6);
    EXPECT_EQ(m_clock.SleepCount(), 6);
    EXPECT_EQ(m_clock.Slept(), std::chrono::milliseconds(3000));
    EXPECT_FALSE(m_gate->IsConnected());

    m_gateway->failConnects = 4;
    m_gateway->connects = 0;
    EXPECT_EQ(m_gate->ConnectWithRetry(20), DeviceResult::Done);
    EXPECT_EQ(m_gateway->connects, 5);
    EXPECT_EQ(m_clock.SleepCount(), 6 + 4);
    EXPECT_TRUE(m_gate->IsConnected());
}

TEST_F(GateTest, Disconnect_ClearsTheFlag) {
    m_gate->ConnectDevice();
    EXPECT_EQ(m_gate->DisconnectDevice(), DeviceResult::Done);
    EXPECT_FALSE(m_gate->IsConnected());
    EXPECT_EQ(m_gateway->disconnects, 1);
}

TEST_F(GateTest, Reset_SendsServiceFiveAndDropsTheConnection) {
    WriteFileBytes(m_dir.File("GYSim.ini"), "[NVS_2]\nStatus=2\n");
    m_gate->ConnectDevice();
    EXPECT_EQ(m_gate->ResetDevice(), DeviceResult::Done);
    EXPECT_FALSE(m_gate->IsConnected());
    EXPECT_EQ(m_gateway->disconnects, 1);
    ASSERT_EQ(m_log.encoded.size(), 1u);
    EXPECT_EQ(m_log.encoded[0], (std::vector<std::uint8_t>{5, 1, 0, 1, 0}));
    EXPECT_EQ(ReadProfileString("GYSim.ini", "NVS_2", "Status", ""), "0");
    EXPECT_EQ(m_lost, 0);
}

TEST(GateWithoutTransport, OnlineFailsOfflineStillAnswers) {
    ScopedGantryDir dir;
    CRequestGate gate(nullptr);
    EXPECT_EQ(gate.BindLibrary(), DeviceResult::Failed);
    EXPECT_EQ(gate.ConnectDevice(), DeviceResult::Failed);
    EXPECT_EQ(gate.DisconnectDevice(), DeviceResult::Failed);
    gate.SetOffline(true);
    DeviceReply reply;
    EXPECT_EQ(gate.SendDeviceRequest(MakeGetRequest(CLS_Identity, 1, 103), reply),
              DeviceResult::Done);
    EXPECT_EQ(reply.service, SVC_GetAttributeSingle);
}

TEST(SimulatedGateway, CompleteModeResetIsUnreachableUntilTheDowntimeEnds) {
    ScopedGantryDir dir;
    auto responder = std::make_unique<CSimulatorResponder>();
    CSimulatorResponder& gateway = *responder;
    gateway.Simulator().SetCompleteMode(true);
    gateway.Simulator().SetResetDowntime(std::chrono::milliseconds(200));
    CRequestGate gate(std::move(responder));
    ASSERT_EQ(gate.ConnectDevice(), DeviceResult::Done);
    gate.ResetDevice();
    EXPECT_EQ(gate.ConnectDevice(), DeviceResult::Failed);
    // the real clock: ConnectWithRetry waits out the downtime
    EXPECT_EQ(gate.ConnectWithRetry(2), DeviceResult::Done);
    DeviceReply reply;
    EXPECT_EQ(gate.SendDeviceRequest(MakeGetRequest(CLS_Identity, 1, 103), reply),
              DeviceResult::Done);
}

}  // namespace
