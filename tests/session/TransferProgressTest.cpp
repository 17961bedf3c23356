// The I/O table's progress as the session tells its listener, and a download
// whose gateway stops answering part way.
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

}  // namespace
