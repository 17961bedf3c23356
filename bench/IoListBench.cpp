// How long the J1939 I/O list pane takes with a full table: filling both
// lists with 200 points, a column's Dec / Hex change (both lists rewritten),
// and scrolling a list to its end, each followed by a repaint of the pane.
// Runs offscreen against the in-process simulator as a gateway; the Gantry
// directory and the remembered column modes go to a scratch folder.
//
// usage: gantry-iolist-bench [--rounds N]
#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "tool/device/Notifier.h"
#include "tool/device/SimulatorResponder.h"
#include "tool/session/ConfigurationSession.h"
#include "tool/ui/J1939ListIO.h"
#include "tool/ui/TableCtrl.h"

using namespace gantry;

using namespace gantry::tool;
using namespace gantry::ui;

namespace {

using Clock = std::chrono::steady_clock;

const char* const f_profile =
    "[Identity]\nProduct Name=Bench Gateway\nClient Type=9\nServer Type=6\n"
    "Firmware Revision=2.08\nSerial Number=1\nRun Mode=Idle\n";

// 120 inputs (two of them DTC tables) and 80 outputs.
void FillTable(CJ1939IO& io) {
    io.Clear();
    for (int i = 0; i < 200; ++i) {
        const bool input = i < 120;
        tagJ1939DataPoint point;
        point.table = input ? (i % 60 == 7 ? JT_ActiveDtc : JT_Input) : JT_Output;
        point.dataOffset = static_cast<std::uint16_t>(16 * (input ? i : i - 120));
        point.dataLength = 16;
        point.pgn = 65280u + static_cast<unsigned>(i % 40);
        point.address = static_cast<std::uint8_t>(i);
        point.updateRate = static_cast<std::uint16_t>(100 + i);
        point.priority = static_cast<std::uint8_t>(i % 8);
        io.Append(point);
    }
}

struct Figures {
    double best = 1e9;
    double median = 0;
    double worst = 0;
};

// Runs `step` `rounds` times and returns its times in milliseconds.
Figures Measure(int rounds, const std::function<void()>& step) {
    std::vector<double> times;
    for (int round = 0; round < rounds; ++round) {
        const auto start = Clock::now();
        step();
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return Figures{times.front(), times[times.size() / 2], times.back()};
}

void Print(const char* what, const Figures& figures) {
    std::printf("%-46s best %7.2f ms  median %7.2f ms  worst %7.2f ms\n", what, figures.best,
                figures.median, figures.worst);
}

// Answers every message box with its cautious button, silently.
class CQuietNotifier : public INotifier {
public:
    NotifyAnswer Notify(const std::string&, const std::string&, NotifyButtons buttons, NotifyIcon,
                        NotifyAnswer) override {
        return buttons == NotifyButtons::Ok ? NotifyAnswer::Ok : NotifyAnswer::No;
    }
};

std::string LoadAverage() {
    std::string text;
    std::getline(std::ifstream("/proc/loadavg"), text);
    return text.substr(0, text.find(' ', text.find(' ', text.find(' ') + 1) + 1));
}

int Rounds(int argc, char** argv) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::string(argv[i]) == "--rounds") {
            return std::max(1, std::atoi(argv[i + 1]));
        }
    }
    return 50;
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = Rounds(argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QTemporaryDir scratch;
    qputenv("GANTRY_DIR", scratch.path().toUtf8());
    std::ofstream(scratch.filePath(QStringLiteral("GYSim.ini")).toStdString()) << f_profile;
    QApplication app(argc, argv);
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, scratch.path());

    CInstantClock clock;
    CQuietNotifier notifier;
    ConfigurationSession session(std::make_unique<CSimulatorResponder>(), &notifier, &clock);
    session.Start();
    FillTable(session.EditConfiguration().io);
    CJ1939ListIO pane(session);
    pane.resize(1200, 230);
    pane.show();
    QApplication::processEvents();

    std::printf(
        "J1939 I/O lists, 200 points (120 inputs, 80 outputs), %d rounds, offscreen, "
        "load average %s\n",
        rounds, LoadAverage().c_str());
    Print("fill both lists + repaint", Measure(rounds, [&] {
              pane.RefreshFromSession();
              pane.repaint();
          }));
    bool hex = false;
    Print("column mode change (PGN), both lists + repaint", Measure(rounds, [&] {
              hex = !hex;
              pane.SetColumnMode(IoColumn::Pgn, hex);
              pane.repaint();
          }));
    CTableCtrl* output = pane.List(IoDirection::Output);
    bool bottom = false;
    Print("scroll the output list end to end + repaint", Measure(rounds, [&] {
              bottom = !bottom;
              bottom ? output->scrollToBottom() : output->scrollToTop();
              pane.repaint();
          }));
    return 0;
}
