// A program run as a network peer of a test (an emulated camera, a capture, another client),
// usually inside a camera namespace through "ip netns exec". Its output is collected; the
// process is stopped (SIGTERM, then SIGKILL) and reaped when the object goes.
#pragma once

#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace testnet {

class PeerProcess
{
public:
    explicit PeerProcess(const std::vector<std::string>& argv)
    {
        int out[2];
        if (::pipe2(out, O_CLOEXEC) != 0)
            return;
        m_pid = ::fork();
        if (m_pid == 0) {
            ::dup2(out[1], STDOUT_FILENO);
            ::dup2(out[1], STDERR_FILENO);
            std::vector<char*> args;
            for (const std::string& a : argv)
                args.push_back(const_cast<char*>(a.c_str()));
            args.push_back(nullptr);
            ::execvp(args[0], args.data());
            ::_exit(127);
        }
        ::close(out[1]);
        m_output = out[0];
    }
    ~PeerProcess()
    {
        Stop();
        if (m_output >= 0)
            ::close(m_output);
    }
    PeerProcess(const PeerProcess&) = delete;
    PeerProcess& operator=(const PeerProcess&) = delete;

    // Reads output until `text` has appeared, the process ended or timeoutMs passed.
    bool WaitFor(const std::string& text, int timeoutMs = 10000)
    {
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (m_text.find(text) == std::string::npos) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0 || !ReadSome(int(left.count())))
                return false;
        }
        return true;
    }

    // Waits for the process to end by itself; its exit status, or -1 after timeoutMs.
    int Wait(int timeoutMs = 30000)
    {
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (m_pid > 0) {
            ReadSome(20);
            int status = 0;
            if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1;
                while (ReadSome(0)) {
                }
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            if (std::chrono::steady_clock::now() > deadline)
                return -1;
        }
        return -1;
    }

    void Stop()
    {
        if (m_pid <= 0)
            return;
        ::kill(m_pid, SIGTERM);
        for (int i = 0; i < 100; ++i) {
            if (::waitpid(m_pid, nullptr, WNOHANG) == m_pid) {
                m_pid = -1;
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }

    const std::string& Output()
    {
        while (ReadSome(0)) {
        }
        return m_text;
    }

private:
    bool ReadSome(int timeoutMs)
    {
        if (m_output < 0)
            return false;
        pollfd fd{m_output, POLLIN, 0};
        if (::poll(&fd, 1, timeoutMs) <= 0)
            return timeoutMs > 0 && m_pid > 0 && !(fd.revents & (POLLHUP | POLLERR));
        char buffer[4096];
        const ssize_t n = ::read(m_output, buffer, sizeof buffer);
        if (n <= 0)
            return false;
        m_text.append(buffer, size_t(n));
        return true;
    }

    pid_t m_pid = -1;
    int m_output = -1;
    std::string m_text;
};

// Runs argv inside namespace `ns`.
inline std::vector<std::string> InNamespace(const std::string& ns, std::vector<std::string> argv)
{
    argv.insert(argv.begin(), {"ip", "netns", "exec", ns});
    return argv;
}

} // namespace testnet
