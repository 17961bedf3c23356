// The requests of Refresh Device Status, Upload and Download (online, then
// offline) for each example profile, with every message shown, pinned in
// fixtures/request-sequences.txt: the order and bytes on the wire stay as
// they are whatever the session's inside looks like. GANTRY_WRITE_SEQUENCES=1
// writes the file from the current code instead of comparing.
#include <algorithm>
#include <filesystem>

#include "SessionTestSupport.h"

namespace fs = std::filesystem;

namespace {

class RequestSequences : public SessionTest {
protected:
    void Section(const std::string& title) {
        m_log += "== " + title + "\n";
        for (const std::string& request : TakeRequests()) {
            m_log += request + "\n";
        }
        for (const ShownMessage& message : m_notifier.shown) {
            m_log += "! " + message.caption + ": " + message.text + "\n";
        }
        m_notifier.shown.clear();
    }
    // Every command of one profile, as the frame runs them.
    void RecordProfile(const fs::path& profile) {
        fs::copy_file(profile, m_dir.File("GYSim.ini"), fs::copy_options::overwrite_existing);
        auto gateway = std::make_unique<CUnpluggableGateway>();
        m_session = std::make_unique<ConfigurationSession>(std::move(gateway), &m_notifier,
                                                           &m_clock, &m_listener);
        m_session->Gate().SetRequestObserver(
            [this](const std::vector<std::uint8_t>& bytes, int, const DeviceReply&) {
                m_requests.push_back(DescribeRequest(bytes));
            });
        m_log += "#### " + profile.filename().string() + "\n";
        m_session->Start();
        Section("start");
        m_session->RefreshDeviceStatus();
        Section("refresh");
        m_session->Upload();
        Section("upload");
        m_session->Download();
        Section("download");
        m_session->OfflineConfiguration();
        Section("offline");
        m_session->Download();
        Section("offline download");
        m_session.reset();
    }
    std::string m_log;
};

TEST_F(RequestSequences, EveryExampleProfileSendsThePinnedRequests) {
    std::vector<fs::path> profiles;
    for (const auto& entry : fs::directory_iterator(EXAMPLES_DIR)) {
        if (entry.path().extension() == ".ini") {
            profiles.push_back(entry.path());
        }
    }
    std::sort(profiles.begin(), profiles.end());
    ASSERT_EQ(profiles.size(), 5u);
    for (const fs::path& profile : profiles) {
        RecordProfile(profile);
    }
    const std::string pinned = std::string(FIXTURES_DIR) + "/request-sequences.txt";
    if (std::getenv("GANTRY_WRITE_SEQUENCES") != nullptr) {
        WriteFileBytes(pinned, m_log);
    }
    EXPECT_EQ(m_log, ReadFileBytes(pinned));
}

}  // namespace
