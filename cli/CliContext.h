// What every subcommand of gyconfig-cli needs: the global options, the
// configuration session (created on first use, through the RP1210 transport or
// the in-process simulated gateway), the notifier that prints message boxes as
// "Caption: text" on standard error, the exit codes, the confirmation rule and
// the progress bar. Main thread only.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli/WatchedResponder.h"
#include "tool/device/Notifier.h"
#include "tool/device/SerialTransport.h"
#include "tool/session/ConfigurationSession.h"

namespace gantry::cli {

using namespace gantry::tool;

// Exit status of the program.
inline constexpr int kExitOk = 0;         // success (diff: equal)
inline constexpr int kExitRefused = 1;    // a rule, the user or the gateway refused (diff: differ)
inline constexpr int kExitUsage = 2;      // a usage error (arguments, unreadable file)
inline constexpr int kExitNoGateway = 3;  // no gateway reached (set-up problem or no answer)
inline constexpr int kExitLost = 4;       // the gateway stopped answering part way

// Options accepted before or after the subcommand.
struct GlobalOptions {
    bool offline = false;  // the simulated gateway of GYSim.ini answers in-process
    std::string port;      // "COMn": only that port is tried; empty: every port
    bool yes = false;      // confirmations count as Yes
    bool json = false;     // machine-readable output where a subcommand offers it
};

// Writes `caption: text` to standard error (the text's line breaks kept).
void PrintMessage(const std::string& caption, const std::string& text);

// The confirmation rule: Yes with --yes; No when standard input is not a
// terminal; else the question on standard error and a "y"/"yes" answer from
// standard input.
bool Confirm(const std::string& caption, const std::string& text, bool yes);

// Message boxes of the device layers and the session on the command line: each
// one printed as "Caption: text"; questions answered by the confirmation rule
// (with --yes they are answered Yes without being shown), message boxes with
// Ok alone answered Ok. Every message is kept.
class CCliNotifier : public INotifier {
public:
    explicit CCliNotifier(const GlobalOptions& options) : m_options(options) {}
    NotifyAnswer Notify(const std::string& text, const std::string& caption, NotifyButtons buttons,
                        NotifyIcon icon, NotifyAnswer defaultAnswer) override;

    struct Shown {
        std::string caption;
        std::string text;
        NotifyButtons buttons = NotifyButtons::Ok;
        NotifyAnswer answer = NotifyAnswer::Ok;
    };
    const std::vector<Shown>& Messages() const { return m_shown; }
    // Print nothing (the messages are still kept); for reading a configuration
    // to compare it, where the caller reports.
    void SetQuiet(bool quiet) { m_quiet = quiet; }

private:
    const GlobalOptions& m_options;
    std::vector<Shown> m_shown;
    bool m_quiet = false;
};

// A progress bar on standard error, drawn only when standard error is a
// terminal: "label [#####.....] done/total", or "label: done" while the total
// is not known.
class CProgressBar {
public:
    explicit CProgressBar(std::string label);
    ~CProgressBar();
    CProgressBar(const CProgressBar&) = delete;
    CProgressBar& operator=(const CProgressBar&) = delete;

    void Update(int done, int total);
    // Ends the line (when something was drawn).
    void Finish();
    bool Enabled() const { return m_enabled; }

private:
    std::string m_label;
    bool m_enabled = false;
    bool m_drawn = false;
    int m_lastDone = -1;
};

class CliContext {
public:
    CliContext();
    ~CliContext();
    CliContext(const CliContext&) = delete;
    CliContext& operator=(const CliContext&) = delete;

    GlobalOptions options;
    CCliNotifier notifier{options};
    // A subcommand's callback stores its exit status here; main returns it.
    int exitCode = kExitOk;

    // The session, created on first use from the options: with --offline the
    // simulated gateway of GYSim.ini (in the Gantry directory) answers every
    // request as a gateway would; else the RP1210 transport (libKV121032.so),
    // limited to --port when given.
    ConfigurationSession& Session();
    bool HasSession() const { return m_session != nullptr; }

    // Binds the transport and runs the session's start (Refresh Device Status,
    // which uploads from a working gateway). kExitOk when a gateway answered
    // (a faulted one only when `needWorking` is false); kExitNoGateway when none
    // did or cannot be there (CheckGatewayAtHand); kExitRefused when the
    // library cannot be loaded or the gateway is faulted and a working one is
    // needed. The reason is printed.
    int ConnectGateway(bool needWorking = true);
    // kExitLost, after printing that the gateway stopped answering (once),
    // when an exchange failed after a gateway was reached; else kExitOk.
    int CheckStillAnswering();

    // While it lives, a progress bar follows the session's I/O table
    // transfer (point k of n, as the session tells it); `total` is the number
    // shown while the session's is 0 (0: not known). The command line
    // has no other session listener: the scope is the listener while it lives.
    class ProgressScope : private ISessionListener {
    public:
        ProgressScope(CliContext& context, std::string label, int total);
        ~ProgressScope();
        ProgressScope(const ProgressScope&) = delete;
        ProgressScope& operator=(const ProgressScope&) = delete;

    private:
        void IoTableProgress(int point, int total) override;

        CliContext& m_context;
        CProgressBar m_bar;
        int m_total = 0;
    };

private:
    // kExitNoGateway, after printing why, when the simulated gateway cannot be
    // there: it has no profile (missing, empty, unreadable); else kExitOk.
    int CheckGatewayAtHand();
    // True, after printing it, when the --port named has no link in
    // dosdevices/ (the words for a connect that failed on it).
    bool ReportMissingPortLink();
    // Why no gateway could be reached, printed one line each.
    void ReportNoGateway();
    // A run state other than Idle, Run or Faulted: no module, as online.
    void ReportNotPresent(int state);

    std::unique_ptr<ConfigurationSession> m_session;
    CWatchedResponder* m_watch = nullptr;  // owned by the session's gate
    bool m_lostReported = false;
};

}  // namespace gantry::cli
