// The transfer of a pair's records: the order of the reads and writes, the
// one Save, and the write log, against the simulated gateway behind the real
// request gate.
#include <algorithm>

#include "model/DeviceSyncFixture.h"
#include "tool/device/DeviceResponder.h"
#include "tool/device/SimulatorResponder.h"
#include "tool/session/RecordTransfer.h"

namespace {

using RecordTransferTest = DeviceSyncTest;

TEST_F(RecordTransferTest, WholeDownloadSavesOnlyTheLastClass) {
    Start(f_szJ1939Profibus);
    CConfiguration config = PairConfig(9, 11);
    config.io.Add(tagJ1939DataPoint{JT_Input, 0, 8, 0, 1, 1, 0, 6});
    config.UpdateLimits();
    const TransferResult result = DownloadRecords(Link(), config.Records(), config);
    EXPECT_EQ(result.written, std::vector<RecordKind>{RecordKind::J1939});
    const Requests written = Take();
    ASSERT_EQ(written.size(), 7u + 2u + 1u);
    EXPECT_EQ(written.front(), "S 110/1/4 FFFFFFFFFFFFFFFF");
    EXPECT_EQ(written[7], "S 111/0/1 0100");
    EXPECT_EQ(written.back(), "Save 111/0");
}

TEST_F(RecordTransferTest, WholeDownloadOfEthernetToJ1939SavesClass140) {
    Start(f_szJ1939Ethernet);
    CConfiguration config = PairConfig(9, 6);
    config.UpdateLimits();
    EXPECT_EQ(DownloadRecords(Link(), config.Records(), config).saveClass, CLS_EthernetInterface);
    const Requests written = Take();
    EXPECT_EQ(written.back(), "Save 140/0");
    EXPECT_EQ(std::count_if(written.begin(), written.end(),
                            [](const std::string& r) { return r.rfind("Save", 0) == 0; }),
              1);
}

// The switch to Idle goes through the write log, apart from the writes'
// count that the warning after a download names; a pair without DeviceNet
// makes none.
TEST_F(RecordTransferTest, TheSwitchToIdleBeforeTheDeviceNetWritesIsLogged) {
    Start(f_szEthernetDeviceNet);
    CConfiguration config = PairConfig(1, 6);
    const TransferResult result = DownloadRecords(Link(), config.Records(), config);
    EXPECT_EQ(result.writes.idleSwitch, RequestOutcome::Answered);
    const Requests sent = Take();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.front(), "S 1/1/103 00");
    const auto writes = std::count_if(sent.begin(), sent.end(), [](const std::string& r) {
        return r.rfind("S ", 0) == 0 || r.rfind("Save", 0) == 0;
    });
    EXPECT_EQ(result.writes.attempted, writes - 1);

    Start(f_szJ1939Ethernet);
    config.clientType = 9;
    EXPECT_FALSE(DownloadRecords(Link(), config.Records(), config).writes.idleSwitch);
}

TEST_F(RecordTransferTest, RefreshReadsEveryRecordAndTheLimitsFollow) {
    Start(f_szJ1939Ethernet, false);
    CConfiguration config;
    // as the session aligns the records with the gateway before a refresh
    config.clientType = static_cast<std::uint32_t>(m_device->ClientType());
    config.serverType = static_cast<std::uint32_t>(m_device->ServerType());
    config.SetRevision(m_device->Revision());
    RefreshRecords(Link(), config.Records(), config);
    const TableCheck check = config.UpdateLimits();
    EXPECT_TRUE(check.passed);
    EXPECT_EQ(config.serverType, 6u);
    EXPECT_EQ(config.limits, (DataTableLimits{496, 492, 988}));
    EXPECT_EQ(config.baudChoices, 2);
    const Requests requests = Take();
    ASSERT_GE(requests.size(), 14u);
    EXPECT_EQ(requests[0], "G 110/1/1");
    EXPECT_EQ(requests[10], "G 111/0/1");
    EXPECT_EQ(requests[requests.size() - 3], "G 140/1/1");
}

TEST_F(RecordTransferTest, TheStepBeforeTheFirstWriteCanStopItAndTheWrittenAreReadBack) {
    Start(f_szJ1939Ethernet);
    CConfiguration config = PairConfig(9, 6);
    config.UpdateLimits();
    int calls = 0;
    const auto stop = [&calls](DeviceLink) {
        ++calls;
        return false;  // as a backup that could not be written
    };
    EXPECT_TRUE(DownloadRecords(Link(), config.Records(), config, stop).stopped);
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(Take().empty());  // nothing sent

    config.ethernet.ip = {10, 1, 2, 3};
    const TransferResult result = DownloadRecords(Link(), config.Records(), config);
    Take();
    CConfiguration readBack;
    readBack.clientType = 9;
    readBack.serverType = 6;
    ReadBackRecords(Link(), {RecordKind::Ethernet}, readBack);
    EXPECT_EQ(readBack.ethernet.ip, config.ethernet.ip);
    const Requests reads = Take();  // the Ethernet record alone, nothing written
    ASSERT_FALSE(reads.empty());
    EXPECT_EQ(reads.front(), "G 140/1/1");
    EXPECT_TRUE(std::none_of(reads.begin(), reads.end(),
                             [](const std::string& r) { return r.rfind("S", 0) == 0; }));
    EXPECT_EQ(result.written, (std::vector<RecordKind>{RecordKind::J1939, RecordKind::Ethernet}));
}

}  // namespace

namespace {

// The simulated gateway that refuses the write of one I/O point (general
// status 0x09) and, from the `silentAfter`th request on, answers nothing.
class CFaultyGateway : public IDeviceResponder {
public:
    CFaultyGateway(std::uint16_t refusedPoint, int silentAfter)
        : m_refusedPoint(refusedPoint), m_silentAfter(silentAfter) {
        m_simulator.Simulator().SetCompleteMode(true);
    }
    DeviceResult BindLibrary() override { return DeviceResult::Done; }
    DeviceResult Connect() override {
        return m_requests < m_silentAfter ? DeviceResult::Done : DeviceResult::Failed;
    }
    DeviceResult Disconnect() override { return DeviceResult::Failed; }
    DeviceResult SendRequest(const DeviceRequest& request, DeviceReply& reply) override {
        if (++m_requests >= m_silentAfter) {
            return DeviceResult::Failed;
        }
        if (request.service == SVC_SetAttributesAll && request.classId == CLS_J1939IoTable &&
            request.instance == m_refusedPoint) {
            reply = DeviceReply{};
            reply.service = static_cast<std::uint8_t>(request.service | 0x80);
            reply.generalStatus = 0x09;
            return DeviceResult::Done;
        }
        return m_simulator.SendRequest(request, reply);
    }

private:
    CSimulatorResponder m_simulator;
    std::uint16_t m_refusedPoint;
    int m_silentAfter;
    int m_requests = 0;
};

TransferResult DownloadThrough(std::uint16_t refusedPoint, int silentAfter, int points) {
    ScopedGantryDir dir;
    WriteFileBytes(dir.File("GYSim.ini"),
                   std::string("[Identity]\n") + f_szJ1939Profibus + "Run Mode=Idle\n");
    CInstantClock clock;
    OfflineIdentity offline;
    CRecordingNotifier notifier;
    CRequestGate gate(std::make_unique<CFaultyGateway>(refusedPoint, silentAfter), &notifier,
                      &clock);
    CDevice device(gate, offline);
    device.RefreshIdentity();
    EXPECT_TRUE(device.IsPresent());
    const CConfiguration config = ProfibusTable(device.Revision(), points);
    return DownloadRecords(DeviceLink{gate, device}, config.Records(), config);
}

}  // namespace

TEST(RecordTransferWrites, RefusedAndUnansweredWritesAreLoggedAndNamed) {
    // 7 settings writes, the count, 4 points, Save: 13 writes
    const TransferResult refused = DownloadThrough(3, 1000, 4);
    ASSERT_EQ(refused.saveClass, CLS_J1939IoTable);
    EXPECT_EQ(refused.writes.attempted, 13);
    ASSERT_EQ(refused.writes.failed.size(), 1u);
    EXPECT_TRUE(refused.writes.failed[0].answered);
    EXPECT_EQ(refused.writes.failed[0].generalStatus, 0x09);
    EXPECT_EQ(DescribeFailedWrites(refused.writes, false),
              "The gateway did not store the whole configuration: 1 of 13 writes failed.\n"
              "Refused by the gateway: J1939 I/O point 3.\n"
              "The gateway still answers: check its settings and download again.");

    // identity reads take the first requests; silence falls among the points
    const TransferResult lost = DownloadThrough(0, 18, 4);
    ASSERT_EQ(lost.saveClass, CLS_J1939IoTable);
    EXPECT_EQ(lost.writes.attempted, 13);
    EXPECT_EQ(DescribeFailedWrites(lost.writes, true),
              "The gateway did not store the whole configuration: 4 of 13 writes failed.\n"
              "Not answered: J1939 I/O point 2, J1939 I/O point 3, J1939 I/O point 4, Save of "
              "the J1939 I/O table.\n"
              "The gateway stopped answering during the download: check the line and the "
              "gateway, then download again.");
    EXPECT_EQ(DescribeFailedWrites(DownloadThrough(0, 1000, 4).writes, false), "");
}
