#include "cli/CliContext.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <iostream>

#include "common/GantryDirectory.h"
#include "tool/device/DeviceResponder.h"
#include "tool/device/Notifier.h"
#include "tool/device/SerialTransport.h"
#include "tool/device/SetupDiagnosis.h"
#include "tool/device/SimulatorResponder.h"
#include "tool/session/SessionLog.h"

namespace gantry::cli {

using namespace gantry::tool;

void PrintMessage(const std::string& caption, const std::string& text) {
    std::cerr << caption << ": " << text << std::endl;
}

bool Confirm(const std::string& caption, const std::string& text, bool yes) {
    if (yes) {
        return true;
    }
    if (!::isatty(STDIN_FILENO)) {
        return false;  // nobody can answer: the cautious answer
    }
    std::cerr << caption << ": " << text << " [y/N] " << std::flush;
    std::string answer;
    if (!std::getline(std::cin, answer)) {
        return false;
    }
    std::transform(answer.begin(), answer.end(), answer.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return answer == "y" || answer == "yes";
}

NotifyAnswer CCliNotifier::Notify(const std::string& text, const std::string& caption,
                                  NotifyButtons buttons, NotifyIcon icon,
                                  NotifyAnswer /*defaultAnswer*/) {
    (void)icon;
    NotifyAnswer answer = NotifyAnswer::Ok;
    if (buttons == NotifyButtons::Ok) {
        if (!m_quiet) {
            PrintMessage(caption, text);
        }
    } else {
        bool yes = false;
        if (m_quiet) {
            yes = m_options.yes;
        } else if (m_options.yes) {
            yes = true;  // answered on the command line: the question is not shown
        } else if (!::isatty(STDIN_FILENO)) {
            PrintMessage(caption, text);  // nobody can answer: shown, and No
        } else {
            yes = Confirm(caption, text, false);
        }
        switch (buttons) {
            case NotifyButtons::OkCancel:
                answer = yes ? NotifyAnswer::Ok : NotifyAnswer::Cancel;
                break;
            case NotifyButtons::RetryCancel:
                answer = yes ? NotifyAnswer::Retry : NotifyAnswer::Cancel;
                break;
            case NotifyButtons::YesNoCancel:
                answer = yes ? NotifyAnswer::Yes : NotifyAnswer::Cancel;
                break;
            default:
                answer = yes ? NotifyAnswer::Yes : NotifyAnswer::No;
                break;
        }
    }
    m_shown.push_back(Shown{caption, text, buttons, answer});
    return answer;
}

CProgressBar::CProgressBar(std::string label)
    : m_label(std::move(label)), m_enabled(::isatty(STDERR_FILENO) != 0) {}

CProgressBar::~CProgressBar() {
    Finish();
}

void CProgressBar::Update(int done, int total) {
    if (!m_enabled || done == m_lastDone) {
        return;
    }
    m_lastDone = done;
    if (total <= 0) {
        // the count is not known yet: the requests so far
        std::cerr << '\r' << m_label << ": " << done << std::flush;
        m_drawn = true;
        return;
    }
    constexpr int width = 30;
    const int filled = std::clamp(done * width / total, 0, width);
    std::cerr << '\r' << m_label << " [" << std::string(filled, '#')
              << std::string(width - filled, '.') << "] " << done << '/' << total << std::flush;
    m_drawn = true;
}

void CProgressBar::Finish() {
    if (m_drawn) {
        std::cerr << std::endl;
        m_drawn = false;
    }
}

CliContext::CliContext() {
    WriteSessionStartLog();
}

CliContext::~CliContext() {
    WriteSessionEndLog();
    if (m_session && m_session->Gate().IsConnected()) {
        m_session->Gate().DisconnectDevice();
    }
}

ConfigurationSession& CliContext::Session() {
    if (!m_session) {
        std::unique_ptr<IDeviceResponder> responder;
        if (options.offline) {
            auto simulator = std::make_unique<CSimulatorResponder>("GYSim.ini");
            simulator->Simulator().SetCompleteMode(true);
            responder = std::move(simulator);
        } else if (!options.port.empty()) {
            responder = std::make_unique<CSerialTransport>(RP1210LibraryPath(), options.port);
        } else {
            responder = std::make_unique<CSerialTransport>(RP1210LibraryPath());
        }
        auto watched = std::make_unique<CWatchedResponder>(std::move(responder));
        m_watch = watched.get();
        m_session = std::make_unique<ConfigurationSession>(std::move(watched), &notifier);
    }
    return *m_session;
}

void CliContext::ReportNoGateway() {
    auto* transport = dynamic_cast<CSerialTransport*>(&m_watch->Inner());
    if (transport != nullptr && ReportMissingPortLink()) {
        return;
    }
    if (transport == nullptr) {
        PrintMessage("Error", NoGatewayText(ComPortNumberFromName(options.port)));
        return;
    }
    for (const std::string& line :
         DiagnoseNoGateway(*transport, ComPortNumberFromName(options.port))) {
        PrintMessage("Error", line);
    }
}

void CliContext::ReportNotPresent(int state) {
    const std::string value = std::to_string(state);
    if (options.offline) {
        PrintMessage("Error", "The simulated gateway of " + ResolveGantryPath("GYSim.ini") +
                                  " reports Run Mode " + value +
                                  ", which is neither Idle, Run nor Faulted: it counts as no "
                                  "gateway. Set Run Mode to Idle or Run.");
    } else {
        PrintMessage("Error", "The gateway reports run state " + value +
                                  ", which is neither Idle, Run nor Faulted: it counts as no "
                                  "gateway.");
    }
}

int CliContext::CheckGatewayAtHand() {
    if (options.offline) {
        // a simulated gateway without a profile answers with interface types
        // 0/0: nothing it says is a gateway's
        const std::string problem = SimulatorProfileProblem("GYSim.ini");
        if (!problem.empty()) {
            PrintMessage("Error", problem);
            return kExitNoGateway;
        }
    }
    return kExitOk;
}

bool CliContext::ReportMissingPortLink() {
    if (options.port.empty()) {
        return false;
    }
    const int port = ComPortNumberFromName(options.port);
    const std::vector<int> linked = ListComPorts();
    if (std::find(linked.begin(), linked.end(), port) != linked.end()) {
        return false;
    }
    std::string names;
    for (int number : linked) {
        names += (names.empty() ? "" : ", ") + std::string("COM") + std::to_string(number);
    }
    PrintMessage("Error", "COM" + std::to_string(port) + " has no link in " + GantryDirectory() +
                              "/dosdevices (" +
                              (names.empty() ? "there is none" : "linked: " + names) +
                              "): run `gyconfig-cli setup` with the adapter plugged in, or name a "
                              "linked port.");
    return true;
}

int CliContext::CheckStillAnswering() {
    if (m_watch == nullptr || !m_watch->Lost()) {
        return kExitOk;
    }
    if (!m_lostReported) {
        m_lostReported = true;
        PrintMessage("Error",
                     std::string(options.offline ? "The simulated gateway" : "The gateway") +
                         " stopped answering during the command: check the cable and the "
                         "gateway, then try again.");
    }
    return kExitLost;
}

int CliContext::ConnectGateway(bool needWorking) {
    if (const int missing = CheckGatewayAtHand(); missing != kExitOk) {
        return missing;
    }
    ConfigurationSession& session = Session();
    if (!Succeeded(session.Gate().BindLibrary())) {
        return kExitRefused;  // the transport showed why
    }
    session.Start();
    const int state = session.RunState();
    if (CheckStillAnswering() != kExitOk) {
        return kExitLost;
    }
    if (state == RS_NotDetected || state == RS_Unknown) {
        ReportNoGateway();
        return kExitNoGateway;
    }
    if (!IsModulePresent(state) && state != RS_Faulted) {
        ReportNotPresent(state);
        return kExitNoGateway;
    }
    if (state == RS_Faulted && needWorking) {
        PrintMessage("Error", "The gateway is faulted (major fault " +
                                  std::to_string(session.Device().MajorFault()) + ").");
        return kExitRefused;
    }
    return kExitOk;
}

CliContext::ProgressScope::ProgressScope(CliContext& context, std::string label, int total)
    : m_context(context), m_bar(std::move(label)), m_total(total) {
    if (m_bar.Enabled()) {
        m_context.Session().SetListener(this);
    }
}

CliContext::ProgressScope::~ProgressScope() {
    if (m_bar.Enabled()) {
        m_context.Session().SetListener(nullptr);
    }
    m_bar.Finish();
}

void CliContext::ProgressScope::IoTableProgress(int point, int total) {
    m_bar.Update(point, total > 0 ? total : m_total);
}

}  // namespace gantry::cli
