// Aravis's networked fake camera, started in a camera namespace of the test network and ended
// (the camera "unplugged") when the object goes or on request.
#ifndef ORVANTA_FAKEGVCAMERA_H
#define ORVANTA_FAKEGVCAMERA_H

#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

class FakeGvCamera
{
public:
    // Serves on the namespace's interface eth0 with the given serial number, losing that many
    // stream packets per thousand.
    FakeGvCamera(const std::string& netns, const std::string& serial, int lostPerThousand = 0)
    {
        std::vector<std::string> args = {"ip", "netns", "exec", netns, "arv-fake-gv-camera-0.8",
                                         "-i", "eth0",  "-s",   serial};
        if (lostPerThousand > 0)
            args.insert(args.end(), {"-r", std::to_string(lostPerThousand)});
        pid_ = ::fork();
        if (pid_ == 0) {
            std::vector<char*> argv;
            for (auto& a : args)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execvp("ip", argv.data());
            ::_exit(127);
        }
    }
    ~FakeGvCamera() { unplug(); }
    FakeGvCamera(const FakeGvCamera&) = delete;
    FakeGvCamera& operator=(const FakeGvCamera&) = delete;

    // False once the camera process ended (killed, or crashed).
    bool running()
    {
        if (pid_ > 0 && ::waitpid(pid_, &status_, WNOHANG) == pid_)
            pid_ = -1;
        return pid_ > 0;
    }

    void unplug()
    {
        if (pid_ <= 0)
            return;
        ::kill(pid_, SIGKILL);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
    }

private:
    pid_t pid_ = -1;
    int status_ = 0;
};

#endif
