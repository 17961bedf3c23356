// The virtual gateway program on a pseudo-terminal, linked into the Gantry
// directory's dosdevices/ as a COM port, for the end-to-end tests.
#pragma once

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

class CGatewayProcess {
public:
    CGatewayProcess() = default;
    ~CGatewayProcess() { Stop(SIGKILL); }
    CGatewayProcess(const CGatewayProcess&) = delete;
    CGatewayProcess& operator=(const CGatewayProcess&) = delete;

    // Starts the gateway with its line linked at `link`; true once it printed
    // its line's name (it serves from then on).
    bool Start(const std::string& link, const std::vector<std::string>& options = {}) {
        int out[2];
        if (::pipe(out) != 0) {
            return false;
        }
        std::vector<std::string> arguments = {GATEWAY_PATH, "--link", link};
        arguments.insert(arguments.end(), options.begin(), options.end());
        m_pid = ::fork();
        if (m_pid == 0) {
            ::dup2(out[1], 1);
            ::close(out[0]);
            ::close(out[1]);
            std::vector<char*> argv;
            for (auto& argument : arguments) {
                argv.push_back(argument.data());
            }
            argv.push_back(nullptr);
            ::execv(GATEWAY_PATH, argv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        m_output = out[0];
        if (m_pid < 0) {
            return false;
        }
        std::string line;
        char c = 0;
        while (line.find('\n') == std::string::npos) {
            pollfd watch{m_output, POLLIN, 0};
            if (::poll(&watch, 1, 20000) <= 0 || ::read(m_output, &c, 1) != 1) {
                return false;
            }
            line.push_back(c);
        }
        m_line = line.substr(0, line.size() - 1);
        return true;
    }

    // Ends the gateway: SIGTERM lets it close its line and remove its link,
    // SIGKILL leaves the link dangling, as a crash would.
    void Stop(int signal = SIGTERM) {
        if (m_pid > 0) {
            ::kill(m_pid, signal);
            int status = 0;
            ::waitpid(m_pid, &status, 0);
            m_pid = -1;
        }
        if (m_output >= 0) {
            ::close(m_output);
            m_output = -1;
        }
    }

    const std::string& Line() const { return m_line; }

private:
    pid_t m_pid = -1;
    int m_output = -1;
    std::string m_line;
};
