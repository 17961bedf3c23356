// Running gyconfig-cli and gantry-gateway as processes for the end-to-end
// tests: standard input from /dev/null (no terminal), the outputs captured.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "TestSupport.h"

struct ProcessResult {
    int status = -1;  // the exit status, or -1 when it did not exit normally
    std::string out;
    std::string err;
};

// Runs `program` with `arguments` in the current environment (GANTRY_DIR of the
// test) and waits for it; `scratch` is a directory for the captured outputs.
inline ProcessResult RunProgram(const std::string& program,
                                const std::vector<std::string>& arguments,
                                const std::string& scratch) {
    const std::string outPath = scratch + "/.stdout";
    const std::string errPath = scratch + "/.stderr";
    std::vector<std::string> all = {program};
    all.insert(all.end(), arguments.begin(), arguments.end());
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int in = ::open("/dev/null", O_RDONLY);
        const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(in, 0);
        ::dup2(out, 1);
        ::dup2(err, 2);
        std::vector<char*> argv;
        for (auto& argument : all) {
            argv.push_back(argument.data());
        }
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    ProcessResult result;
    int status = 0;
    ::waitpid(pid, &status, 0);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = ReadFileBytes(outPath);
    result.err = ReadFileBytes(errPath);
    return result;
}

// The virtual gateway on a pseudo-terminal linked at `link`.
class CGatewayRun {
public:
    ~CGatewayRun() { Stop(); }

    // `faults`: further options of the gateway, such as {"--silent-after", "40"}.
    bool Start(const std::string& profile, const std::string& link,
               const std::vector<std::string>& faults = {}) {
        int out[2];
        if (::pipe(out) != 0) {
            return false;
        }
        std::vector<std::string> arguments = {GATEWAY_PATH, "--profile", profile, "--link", link};
        arguments.insert(arguments.end(), faults.begin(), faults.end());
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
        std::string line;
        char c = 0;
        while (line.find('\n') == std::string::npos) {
            pollfd watch{m_output, POLLIN, 0};
            if (::poll(&watch, 1, 20000) <= 0 || ::read(m_output, &c, 1) != 1) {
                return false;
            }
            line.push_back(c);
        }
        return true;
    }

    void Stop() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            int status = 0;
            ::waitpid(m_pid, &status, 0);
            m_pid = -1;
        }
        if (m_output >= 0) {
            ::close(m_output);
            m_output = -1;
        }
    }

private:
    pid_t m_pid = -1;
    int m_output = -1;
};
