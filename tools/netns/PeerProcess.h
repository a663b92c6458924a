// A program run as a network peer of a test (an emulated camera, a capture, another client),
// usually inside a camera namespace through "ip netns exec". A reader thread collects its
// output all the time, so a talkative peer never blocks on a full pipe. The process is
// stopped (SIGTERM, then SIGKILL) and reaped when the object goes.
#pragma once

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <fcntl.h>
#include <mutex>
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
        std::vector<char*> args;
        for (const std::string& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        m_pid = ::fork();
        if (m_pid == 0) {
            ::dup2(out[1], STDOUT_FILENO);
            ::dup2(out[1], STDERR_FILENO);
            ::execvp(args[0], args.data());
            ::_exit(127);
        }
        ::close(out[1]);
        m_reader = std::thread([this, fd = out[0]] { ReadAll(fd); });
    }
    ~PeerProcess()
    {
        Stop();
        if (m_reader.joinable())
            m_reader.join();
    }
    PeerProcess(const PeerProcess&) = delete;
    PeerProcess& operator=(const PeerProcess&) = delete;

    // True once `text` has appeared in the output; false when the output ended or timeoutMs
    // passed first.
    bool WaitFor(const std::string& text, int timeoutMs = 10000)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
            return m_text.find(text) != std::string::npos || m_ended;
        }) && m_text.find(text) != std::string::npos;
    }

    // Waits for the process to end by itself: its exit status, or -1 after timeoutMs.
    int Wait(int timeoutMs = 30000)
    {
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (m_pid > 0) {
            int status = 0;
            if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1;
                if (m_reader.joinable())
                    m_reader.join();
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            if (std::chrono::steady_clock::now() > deadline)
                return -1;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
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

    std::string Output()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_text;
    }

private:
    void ReadAll(int fd)
    {
        char buffer[4096];
        for (;;) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            std::lock_guard<std::mutex> lock(m_mutex);
            if (n <= 0) {
                m_ended = true;
                m_changed.notify_all();
                break;
            }
            m_text.append(buffer, size_t(n));
            m_changed.notify_all();
        }
        ::close(fd);
    }

    pid_t m_pid = -1;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::string m_text;
    bool m_ended = false;
    std::thread m_reader;
};

// Runs argv inside namespace `ns`.
inline std::vector<std::string> InNamespace(const std::string& ns, std::vector<std::string> argv)
{
    argv.insert(argv.begin(), {"ip", "netns", "exec", ns});
    return argv;
}

} // namespace testnet
