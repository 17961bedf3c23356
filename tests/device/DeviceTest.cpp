// The device accessor: identity and run state, online against a simulated
// gateway and offline from the application's product combination.
#include <gtest/gtest.h>

#include "TestGateway.h"
#include "TestSupport.h"
#include "common/ProfileFile.h"
#include "tool/device/Device.h"
#include "tool/device/IdentityValues.h"
#include "tool/device/IoPointRecord.h"
#include "tool/device/ProductCatalogue.h"

using namespace gantry;

using namespace gantry::tool;

namespace {

const char* const f_szGateway =
    "[Identity]\n"
    "Firmware Revision=1.05\n"
    "Serial Number=0x1A2B\n"
    "Product Name=J1939 to Modbus Interface\n"
    "Client Type=J1939\n"
    "Server Type=Modbus Slave\n"
    "Run Mode=Idle\n"
    "Major Fault=0x85\n";

class DeviceTest : public ::testing::Test {
protected:
    DeviceTest() {
        WriteFileBytes(m_dir.File("GYSim.ini"), f_szGateway);
        auto gateway = std::make_unique<CTestGateway>();
        m_gateway = gateway.get();
        m_gate = std::make_unique<CRequestGate>(std::move(gateway), nullptr, &m_clock);
        m_device = std::make_unique<CDevice>(*m_gate, m_offline);
        m_gate->SetDeviceLostHandler([this] { m_device->MarkNotDetected(); });
        m_log.Install(*m_gate);
    }

    ScopedGantryDir m_dir;
    CInstantClock m_clock;
    OfflineIdentity m_offline;
    CTestGateway* m_gateway = nullptr;
    std::unique_ptr<CRequestGate> m_gate;
    std::unique_ptr<CDevice> m_device;
    CRequestLog m_log;
};

TEST_F(DeviceTest, StartsUnknownAndNotPresent) {
    EXPECT_EQ(m_device->GetRunState(), RS_Unknown);
    EXPECT_FALSE(m_device->IsPresent());
    EXPECT_EQ(m_device->ClientType(), -1);
    EXPECT_EQ(m_device->ServerType(), -1);
}

TEST_F(DeviceTest, ReadRunState_ConnectsFirstThenReadsAttribute103) {
    EXPECT_EQ(m_device->ReadRunState(), RS_Idle);
    EXPECT_EQ(m_gateway->connects, 1);
    EXPECT_TRUE(m_device->IsPresent());
    EXPECT_EQ(m_log.Count(SVC_GetAttributeSingle, CLS_Identity, 103), 1);
    m_device->ReadRunState();
    EXPECT_EQ(m_gateway->connects, 1);  // stays connected
}

TEST_F(DeviceTest, ReadRunState_NoGatewayGivesNotDetectedWithoutARequest) {
    m_gateway->failConnects = 1;
    EXPECT_EQ(m_device->ReadRunState(), RS_NotDetected);
    EXPECT_TRUE(m_log.encoded.empty());
    // plugging the gateway in: the next read finds it
    EXPECT_EQ(m_device->ReadRunState(), RS_Idle);
}

TEST_F(DeviceTest, FaultedAndNotDetectedCountAsAbsent) {
    WriteFileBytes(m_dir.File("GYSim.ini"), "[Identity]\nRun Mode=Faulted\n");
    EXPECT_EQ(m_device->ReadRunState(), RS_Faulted);
    EXPECT_FALSE(m_device->IsPresent());
    EXPECT_TRUE(IsModulePresent(RS_Run));
    EXPECT_FALSE(IsModulePresent(RS_NotDetected));
    EXPECT_FALSE(IsModulePresent(RS_Unknown));
}

TEST_F(DeviceTest, RefreshIdentity_ReadsEveryFieldInOrder) {
    m_device->RefreshIdentity();
    EXPECT_EQ(m_device->ProductName(), "J1939 to Modbus Interface");
    EXPECT_EQ(FormatSerialNumber(m_device->SerialNumber()), "00001A2B");
    EXPECT_EQ(FormatRevision(m_device->Revision()), "1.05");
    EXPECT_EQ(m_device->ClientType(), IT_J1939);
    EXPECT_EQ(m_device->ServerType(), IT_ModbusSlave);
    EXPECT_EQ(FormatMajorFault(static_cast<std::uint32_t>(m_device->MajorFault())), "0x5");
    // attribute 100 is refused by the simulator: kept as 0
    EXPECT_EQ(m_device->Attribute100(), 0);
    // the revision 1.05 Modbus server gets 14-byte I/O points
    EXPECT_EQ(IoPointRecordSize(m_device->ServerType(), m_device->Revision()), 14);

    std::vector<int> attributes;
    for (const auto& bytes : m_log.encoded) {
        attributes.push_back(bytes.at(5));
    }
    EXPECT_EQ(attributes, (std::vector<int>{103, 7, 6, 4, 100, 101, 102, 104}));
}

TEST_F(DeviceTest, RefreshIdentity_StopsWhenNotDetected) {
    m_gateway->failConnects = 1;
    m_device->RefreshIdentity();
    EXPECT_TRUE(m_log.encoded.empty());
    EXPECT_EQ(m_device->ProductName(), "");
}

TEST_F(DeviceTest, LostReply_KeepsCachedValuesAndMarksNotDetected) {
    m_device->RefreshIdentity();
    m_gateway->loseReplies = true;
    EXPECT_EQ(m_device->ReadSerialNumber(), 0x1A2Bu);
    EXPECT_EQ(m_device->GetRunState(), RS_NotDetected);
    EXPECT_FALSE(m_gate->IsConnected());
    EXPECT_EQ(m_device->ReadClientType(), IT_J1939);
    EXPECT_EQ(m_device->ProductName(), "J1939 to Modbus Interface");
    // the run state itself turns 3 on a lost reply
    m_gateway->loseReplies = false;
    EXPECT_EQ(m_device->ReadRunState(), RS_Idle);
    m_gateway->loseReplies = true;
    EXPECT_EQ(m_device->ReadRunState(), RS_NotDetected);
}

TEST_F(DeviceTest, SetRunState_GatewayFollowsAndPollingStopsAtOnce) {
    m_device->ReadRunState();
    m_device->SetRunState(RS_Run);
    EXPECT_EQ(m_device->GetRunState(), RS_Run);
    EXPECT_EQ(ReadProfileString("GYSim.ini", "Identity", "Run Mode", ""), "1");
    EXPECT_EQ(m_log.Count(SVC_GetAttributeSingle, CLS_Identity, 103), 2);
    EXPECT_EQ(m_log.encoded.at(1), (std::vector<std::uint8_t>{16, 1, 0, 1, 0, 103, 1}));
    EXPECT_EQ(m_clock.Slept(), std::chrono::milliseconds(1));
}

TEST_F(DeviceTest, SetRunState_GatewayStaysIdle_PollsTenTimesOverAboutOneSecond) {
    m_gateway->keepRunState = true;
    m_device->ReadRunState();
    m_device->SetRunState(RS_Run);
    EXPECT_EQ(m_device->GetRunState(), RS_Idle);
    EXPECT_EQ(m_log.Count(SVC_GetAttributeSingle, CLS_Identity, 103), 1 + 10);
    EXPECT_EQ(m_clock.Slept(), std::chrono::milliseconds(1 + 10 * 100));
}

TEST_F(DeviceTest, SetRunState_StopsWhenTheGatewayFaultsOrGoesAway) {
    m_gateway->keepRunState = true;
    WriteFileBytes(m_dir.File("GYSim.ini"), "[Identity]\nRun Mode=Faulted\n");
    m_gate->ConnectDevice();
    m_device->SetRunState(RS_Run);
    EXPECT_EQ(m_device->GetRunState(), RS_Faulted);
    EXPECT_EQ(m_log.Count(SVC_GetAttributeSingle, CLS_Identity, 103), 1);
    EXPECT_EQ(m_clock.Slept(), std::chrono::milliseconds(1));

    m_gateway->loseReplies = true;
    m_device->SetRunState(RS_Idle);
    EXPECT_EQ(m_device->GetRunState(), RS_NotDetected);
    // the lost write dropped the connection; one reconnect and read, then stop
    EXPECT_EQ(m_log.Count(SVC_GetAttributeSingle, CLS_Identity, 103), 2);
    EXPECT_EQ(m_clock.Slept(), std::chrono::milliseconds(2));
}

TEST_F(DeviceTest, SetRunState_OtherValuesDoNothing) {
    m_gate->ConnectDevice();
    m_device->SetRunState(2);
    m_device->SetRunState(-1);
    EXPECT_TRUE(m_log.encoded.empty());
}

TEST_F(DeviceTest, ClearMajorFault_IsASetWithoutData) {
    m_gate->ConnectDevice();
    EXPECT_EQ(m_device->ClearMajorFault(), DeviceResult::Done);
    EXPECT_EQ(m_log.encoded.at(0), (std::vector<std::uint8_t>{16, 1, 0, 1, 0, 104}));
}

TEST_F(DeviceTest, ResetDevice_DropsTheConnectionAndMarksNotDetected) {
    m_device->ReadRunState();
    EXPECT_EQ(m_device->ResetDevice(), DeviceResult::Done);
    EXPECT_EQ(m_device->GetRunState(), RS_NotDetected);
    EXPECT_FALSE(m_gate->IsConnected());
    EXPECT_EQ(m_device->ReadRunState(), RS_Idle);  // the next read reconnects
    EXPECT_EQ(m_gateway->connects, 2);
}

TEST_F(DeviceTest, Offline_IdentityComesFromTheProductCombination) {
    m_offline.product = ProductCombinationForIndex(3);
    m_offline.attribute100 = 9;
    m_gate->SetOffline(true);
    m_device->RefreshIdentity();
    EXPECT_EQ(m_device->GetRunState(), RS_Idle);
    EXPECT_EQ(m_device->ProductName(), "Ethernet to J1939 Gateway");
    EXPECT_EQ(FormatRevision(m_device->Revision()), "2.07");
    EXPECT_EQ(m_device->Attribute100(), 9);
    EXPECT_EQ(m_device->ClientType(), IT_J1939);
    EXPECT_EQ(m_device->ServerType(), IT_EthernetServer);
    EXPECT_EQ(m_device->SerialNumber(), 0u);
    EXPECT_EQ(m_device->MajorFault(), 0);
    EXPECT_TRUE(m_log.encoded.empty());  // nothing asked
    EXPECT_EQ(m_gateway->connects, 0);
}

TEST_F(DeviceTest, Offline_WritesReachTheSimulator) {
    m_gate->SetOffline(true);
    m_device->SetRunState(RS_Run);
    EXPECT_EQ(ReadProfileString("GYSim.ini", "Identity", "Run Mode", ""), "1");
    // offline the run state reads as Idle whatever was written
    EXPECT_EQ(m_device->GetRunState(), RS_Idle);
    EXPECT_EQ(m_device->ClearMajorFault(),
              DeviceResult::Done);  // refused by the simulator, still carried
    EXPECT_EQ(m_gateway->requests, 0);
}

}  // namespace
