// The backup before a download, the read-back check after it, restoring a
// backup and comparing with the gateway, through the real session against the
// simulated gateway of the J1939 to Modbus example (complete mode: it stores
// every write, as the virtual gateway does).
#include <algorithm>
#include <filesystem>

#include "SessionTestSupport.h"
#include "tool/model/ConfigFile.h"
#include "tool/session/BackupStore.h"
#include "tool/session/DownloadSafety.h"
#include "tool/session/GatewayReader.h"

namespace {

// The gateway's fault of the virtual gateway's --ignore-writes: writes to one
// object class are answered as taken and not stored.
class CForgetfulGateway : public CUnpluggableGateway {
public:
    DeviceResult SendRequest(const DeviceRequest& request, DeviceReply& reply) override {
        if (ignoredClass != 0 && request.classId == ignoredClass &&
            (request.service == SVC_SetAttributeSingle ||
             request.service == SVC_SetAttributesAll)) {
            reply = DeviceReply{};
            reply.service = request.service;
            return DeviceResult::Done;
        }
        return CUnpluggableGateway::SendRequest(request, reply);
    }
    std::uint16_t ignoredClass = 0;
};

class SafeDownloadTest : public SessionTest {
protected:
    void SetUp() override {
        WriteFileBytes(m_dir.File("GYSim.ini"), ReadFileBytes(EXAMPLES_DIR "/j1939-modbus.ini"));
        auto gateway = std::make_unique<CForgetfulGateway>();
        m_forgetful = gateway.get();
        Attach(std::move(gateway));
        m_session->Safety().SetVerify(true);  // as both front ends set it
        m_session->Start();
        ASSERT_EQ(m_session->ModulePaneText(), "ONLINE");
        m_before = m_session->Configuration();
        TakeRequests();
    }
    // A changed setting and an added output point.
    void Edit() {
        CConfiguration& config = m_session->EditConfiguration();
        config.modbus.watchdogMs = 3000;
        tagJ1939DataPoint point;
        point.table = JT_Output;
        point.dataOffset = 1000;
        point.dataLength = 8;
        point.pgn = 65280;
        config.io.Add(point);
    }
    std::vector<ConfigurationDifference> GatewayAgainst(const CConfiguration& config) {
        const GatewaySnapshot held = ReadSessionGateway(m_session->GatewayLink());
        EXPECT_TRUE(held.read);
        return CompareConfigurations(config, held.config);
    }
    static CConfiguration Parsed(const std::string& path) {
        CConfiguration config;
        OpenEnvironment offline;
        offline.offline = true;
        offline.runState = RS_Idle;
        const std::vector<std::uint8_t> bytes = *ReadFileContents(path);
        EXPECT_TRUE(OpenConfigFile(bytes, offline, config).opened) << path;
        return config;
    }
    CConfiguration m_before;
    CForgetfulGateway* m_forgetful = nullptr;
};

TEST_F(SafeDownloadTest,
       ADownloadLeavesABackupOfThePreviousConfigurationAndRestoringItBringsItBack) {
    Edit();
    const DownloadReport report = m_session->Download();
    ASSERT_TRUE(report.Complete());
    const std::vector<BackupEntry> backups = ListBackups(m_session->Device().SerialNumber());
    ASSERT_EQ(backups.size(), 1u);
    EXPECT_EQ(backups[0].path, m_session->Safety().LastBackup()->path);
    EXPECT_EQ(backups[0].ioPointCount, m_before.io.TotalCount());
    EXPECT_TRUE(CompareConfigurations(Parsed(backups[0].path), m_before).empty());
    // the upload's copy was saved: no read came between the run state and the writes
    // (the read-back alone reads the table)
    EXPECT_EQ(CountPrefix(TakeRequests(), "GA 111/"),
              static_cast<int>(m_before.io.TotalCount() + 1));
    EXPECT_TRUE(m_session->Safety().LastVerification().Passed());
    EXPECT_TRUE(GatewayAgainst(m_session->Configuration()).empty());
    EXPECT_FALSE(GatewayAgainst(m_before).empty());

    m_notifier.answerYes = false;  // the edits are not saved
    ASSERT_TRUE(m_session->OpenDocument(backups[0].path));
    m_notifier.answerYes = true;
    ASSERT_TRUE(m_session->Download().Complete());
    EXPECT_TRUE(GatewayAgainst(m_before).empty());
    EXPECT_EQ(ListBackups(std::nullopt).size(), 2u);  // never removed
}

TEST_F(SafeDownloadTest, AVerifiedDownloadSendsTheSameRequestsThenOnlyReads) {
    Edit();
    ASSERT_TRUE(m_session->Download().Complete());
    ASSERT_TRUE(m_session->Safety().LastVerification().Passed());
    const std::vector<std::string> verified = TakeRequests();
    m_session->Safety().SetVerify(false);  // the read-back's copy serves this backup
    ASSERT_TRUE(m_session->Download().Complete());
    const std::vector<std::string> plain = TakeRequests();
    ASSERT_GT(verified.size(), plain.size());
    EXPECT_TRUE(std::equal(plain.begin(), plain.end(), verified.begin()));
    const std::vector<std::string> readBack(verified.begin() + plain.size(), verified.end());
    EXPECT_EQ(CountWrites(readBack), 0);
    EXPECT_EQ(CountPrefix(readBack, "GA 111/"), static_cast<int>(m_before.io.TotalCount() + 1));
}

TEST_F(SafeDownloadTest, AnUnwritableBackupFolderStopsTheDownloadBeforeAnythingIsSent) {
    WriteFileBytes(BackupRoot(), "a file where the folder should be");
    Edit();
    EXPECT_EQ(m_session->Download().outcome, DownloadOutcome::NotBackedUp);
    EXPECT_EQ(CountWrites(TakeRequests()), 0);
    ASSERT_EQ(m_notifier.shown.size(), 2u);  // the caution question, then why
    EXPECT_NE(m_notifier.shown[1].text.find(BackupFolderOf(m_session->Device().SerialNumber())),
              std::string::npos);
    EXPECT_EQ(m_notifier.shown[1].caption, "Configuration Download");
    EXPECT_TRUE(GatewayAgainst(m_before).empty());
}

TEST_F(SafeDownloadTest, VerificationReportsAFieldTheGatewayDidNotTake) {
    m_forgetful->ignoredClass = CLS_Modbus;
    Edit();
    EXPECT_TRUE(m_session->Download().Complete());  // every write was answered
    const VerificationResult& check = m_session->Safety().LastVerification();
    ASSERT_TRUE(check.performed && check.read);
    ASSERT_EQ(check.differences.size(), 1u);
    EXPECT_EQ(DifferenceLine(check.differences[0]), "modbus.watchdog_ms: 3000 -> 1000");
    ASSERT_EQ(m_notifier.shown.size(), 2u);
    EXPECT_NE(m_notifier.shown[1].text.find("modbus.watchdog_ms: 3000 -> 1000"), std::string::npos);

    m_session->Safety().SetVerify(false);  // off: nothing is read back
    m_session->Download();
    EXPECT_FALSE(m_session->Safety().LastVerification().performed);
}

TEST_F(SafeDownloadTest, TheMessageListsTwentyDifferencesThenACount) {
    VerificationResult result;
    for (int i = 0; i < 23; ++i) {
        result.differences.push_back({ConfigurationDifference::Kind::Changed, "modbus",
                                      "field" + std::to_string(i), "1", "2"});
    }
    const std::string text = VerificationFailedText(result);
    EXPECT_NE(text.find("modbus.field19: 1 -> 2"), std::string::npos);
    EXPECT_EQ(text.find("modbus.field20"), std::string::npos);
    EXPECT_NE(text.find("... and 3 more differences."), std::string::npos);
}

}  // namespace
