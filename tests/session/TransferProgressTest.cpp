// The I/O table's progress as the session tells its listener, and a download
// or upload whose gateway stops answering part way.
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "SessionTestSupport.h"

namespace {

using Progress = std::vector<std::pair<int, int>>;

std::string ThreePoints() {
    std::string text = "[J1939IO_0]\nNumberOfEntries=3\n";
    for (int i = 1; i <= 3; ++i) {
        text += "[J1939IO_" + std::to_string(i) + "]\nDirection=" + std::to_string(i % 2) +
                "\nOffset=0\nSize=8\nUpdate Rate=100\nTarget Address=5\nPGN=" +
                std::to_string(65280 + i) + "\nMessage Offset=0\n";
    }
    return text;
}

const Progress f_threeOfThree{{0, 3}, {1, 3}, {2, 3}, {3, 3}};

TEST_F(SessionTest, UploadAndDownload_TellTheTablesProgressPointByPoint) {
    PlugAndStart(f_profibusJ1939, ThreePoints());
    m_session->Upload();
    EXPECT_EQ(m_listener.progress, f_threeOfThree);

    m_listener.Clear();
    m_session->Download();
    // whatever reads the gateway first (the backup), the writes end the transfer
    ASSERT_GE(m_listener.progress.size(), 4u);
    EXPECT_EQ(Progress(m_listener.progress.end() - 4, m_listener.progress.end()), f_threeOfThree);

    // a gateway that stops answering at the second point ends the progress there
    TakeRequests();
    m_session->Upload();
    const auto requests = TakeRequests();
    const auto second = std::find(requests.begin(), requests.end(), "GA 111/2");
    ASSERT_NE(second, requests.end());
    m_listener.Clear();
    m_gateway->loseFrom = static_cast<int>(second - requests.begin()) + 1;
    m_session->Upload();
    EXPECT_EQ(m_listener.progress, (Progress{{0, 3}, {1, 3}, {2, 3}}));
}

TEST_F(SessionTest, DownloadWhoseGatewayStopsAnswering_SendsNothingAfterTheLostReplyAndReactsOnce) {
    PlugAndStart(f_profibusJ1939, ThreePoints());
    // run state, 7 settings, the count, point 1, then point 2 is lost
    m_gateway->loseFrom = 11;
    const int connectsBefore = m_gateway->connects;
    const DownloadReport report = m_session->Download();

    EXPECT_EQ(TakeRequests().size(), 11u);  // nothing after the lost reply
    // no connection tried among the writes; the final read tries once
    EXPECT_EQ(m_gateway->connects, connectsBefore + 1);
    EXPECT_EQ(m_listener.screenChanges.size(), 1u);  // the screens redrawn once
    EXPECT_EQ(m_listener.runStates, (std::vector<int>{RS_NotDetected}));
    EXPECT_EQ(m_session->LastState(), RS_NotDetected);
    EXPECT_EQ(m_session->ModulePaneText(), "NO MODULE");
    EXPECT_TRUE(report.gatewayLost);
    ASSERT_EQ(m_notifier.shown.size(), 2u);  // the caution, then one warning
    EXPECT_EQ(m_notifier.shown[1].text,
              "The gateway did not store the whole configuration: 3 of 12 writes failed.\n"
              "Not answered: J1939 I/O point 2, J1939 I/O point 3, Save of the J1939 I/O table.\n"
              "The gateway stopped answering during the download: check the line and the "
              "gateway, then download again.");
}

TEST_F(SessionTest, UploadLosingAReplyAmongTheSettings_KeepsTheTableAndRedrawsOnce) {
    PlugAndStart(f_profibusJ1939, ThreePoints());
    m_gateway->loseFrom = 10;  // the identity, then the second J1939 settings read
    const int connectsBefore = m_gateway->connects;
    m_session->Upload();

    EXPECT_EQ(TakeRequests().size(), 10u);
    EXPECT_EQ(m_gateway->connects, connectsBefore);
    EXPECT_EQ(m_listener.screenChanges.size(), 1u);
    EXPECT_EQ(m_session->Configuration().io.TotalCount(), 3u);
    EXPECT_FALSE(m_session->IsModified());
    EXPECT_EQ(m_session->ModulePaneText(), "NO MODULE");
}

}  // namespace
