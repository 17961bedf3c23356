// Entries and files the window refuses by name instead of taking or dropping
// them silently: a PGN beyond 18 bits and a data length of 0 in the edit-point
// dialog, an Ethernet address that is not four numbers 0-255, a file that
// holds such a point (it opens, the download names the point), and files that
// cannot be opened (the path and why; a recent file that is gone leaves the
// list).
#include <QFile>

#include "FrameTestSupport.h"
#include "tool/ui/EditJ1939IOPoint.h"
#include "tool/ui/IpConfig.h"

namespace {

class HonestInputTest : public FrameTest {
protected:
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const ShownMessage& m : m_notifier.shown) {
            if (m.text != f_szDownloadCaution) {
                texts.push_back(m.caption + ": " + m.text);
            }
        }
        return texts;
    }
    static void Type(QLineEdit* edit, const char* text) {
        edit->selectAll();
        QTest::keyClicks(edit, QString::fromLatin1(text));
    }
    // Opens Add and, once the dialog shows, types `pgn`, address 5, rate 100
    // and `length` and presses OK; the texts shown while it was open.
    std::vector<std::string> AddPoint(const char* pgn, const char* length) {
        m_notifier.shown.clear();
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<CEditJ1939IOPoint*>(QApplication::activeModalWidget());
            if (dialog == nullptr) {
                return;
            }
            seen = true;
            Type(dialog->Entry(Field::Pgn), pgn);
            Type(dialog->Entry(Field::Address), "5");
            Type(dialog->Entry(Field::UpdateRate), "100");
            Type(dialog->Entry(Field::DataLength), length);
            QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
            dialog->reject();
        });
        m_frame->Pane(ScreenKind::J1939IoLists)->RunIoCommand(IoCommand::Add);
        EXPECT_TRUE(seen);
        return Texts();
    }
};

TEST_F(HonestInputTest, EditDialogRefusesAPgnBeyond18BitsAndALengthOf0) {
    OpenFrame(f_j1939Modbus);
    EXPECT_EQ(AddPoint("999999", "8"), std::vector<std::string>{"Invalid Entry: Invalid PGN"});
    EXPECT_EQ(AddPoint("0x40000", "8"), std::vector<std::string>{"Invalid Entry: Invalid PGN"});
    EXPECT_EQ(AddPoint("61444", "0"), std::vector<std::string>{"Invalid Entry: Invalid Data Size"});
    EXPECT_EQ(m_session->Configuration().io.TotalCount(), 0u);
    EXPECT_TRUE(AddPoint("0x3FFFF", "8").empty());
    EXPECT_EQ(m_session->Configuration().io.TotalCount(), 1u);
}

TEST_F(HonestInputTest, AddressThatDoesNotReadIsRefusedByNameAndKeptForCorrection) {
    OpenFrame(f_ethernetJ1939);
    auto* pane = dynamic_cast<CIpConfig*>(m_frame->Pane(ScreenKind::Ethernet));
    ASSERT_NE(pane, nullptr);
    const Ipv4Address before = m_session->Configuration().ethernet.ip;
    Type(pane->IpAddress(), "300.1.1.1");
    QTest::keyClick(pane->IpAddress(), Qt::Key_Return);
    EXPECT_EQ(Texts(), std::vector<std::string>{
                           "Invalid Entry: Invalid IP Address. Please specify IP Address as four "
                           "numbers in the 0 - 255 range separated by dots (192.168.1.10)."});
    EXPECT_EQ(pane->IpAddress()->text(), "300.1.1.1");  // never silently put back
    EXPECT_EQ(m_session->Configuration().ethernet.ip, before);

    // a download judges the texts too: nothing is written
    Type(pane->IpAddress(), "10.0.0.9");
    QTest::keyClick(pane->IpAddress(), Qt::Key_Return);
    Type(pane->SubnetMask(), "255.255.0");
    m_notifier.shown.clear();
    TakeRequests();
    Trigger(FrameCommand::Download);
    EXPECT_EQ(Texts(), std::vector<std::string>{
                           "Invalid Entry: Invalid Subnet Mask. Please specify Subnet Mask as four "
                           "numbers in the 0 - 255 range separated by dots (192.168.1.10)."});
    EXPECT_EQ(CountWrites(TakeRequests()), 0);
    EXPECT_EQ(m_session->Configuration().ethernet.ip, (Ipv4Address{10, 0, 0, 9}));
}

TEST_F(HonestInputTest, FileWithABadPointOpensAndTheDownloadNamesIt_AGoneRecentFileLeaves) {
    OpenFrame(f_j1939Modbus);
    CConfiguration file = m_session->Configuration();
    tagJ1939DataPoint point;
    point.dataLength = 8;
    point.pgn = 999999;
    file.io.Add(point);
    const std::string path = m_dir.File("bad-pgn.cfg");
    const std::vector<std::uint8_t> bytes = WriteConfigFile(file, 0);
    WriteFileBytes(path, std::string(bytes.begin(), bytes.end()));
    ASSERT_TRUE(m_frame->Document().Open(QString::fromStdString(path)));
    ASSERT_EQ(m_session->Configuration().io.TotalCount(), 1u);
    EXPECT_EQ(m_session->Configuration().io.Inputs()[0].pgn, 999999u);  // shown as it is

    m_notifier.shown.clear();
    TakeRequests();
    Trigger(FrameCommand::Download);
    EXPECT_EQ(Texts(), std::vector<std::string>{"Invalid Entry: Invalid PGN: input point 1 has "
                                                "PGN 999999; J1939 PGNs are 0 to 0x3FFFF"});
    EXPECT_EQ(CountWrites(TakeRequests()), 0);

    // the file goes away: opening it again says so and the list forgets it
    ASSERT_EQ(m_frame->Document().RecentFiles().size(), 1);
    ASSERT_TRUE(QFile::remove(QString::fromStdString(path)));
    m_notifier.shown.clear();
    EXPECT_FALSE(m_frame->Document().Open(QString::fromStdString(path)));
    EXPECT_EQ(Texts(), std::vector<std::string>{"GYConfig: Failed to open document.\n" + path +
                                                " does not exist."});
    EXPECT_TRUE(m_frame->Document().RecentFiles().isEmpty());
}

}  // namespace
