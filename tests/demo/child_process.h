// Runs the demonstration as a child process with a chosen environment, with
// its stderr captured and a deadline on its exit.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

struct ChildResult {
    bool exited = false;  // false: still running at the deadline (then killed)
    int exitCode = -1;
    double seconds = 0.0;
    std::string stderrText;
};

class ChildProcess {
public:
    // unset: environment variables removed; set: "NAME=value" entries added.
    ChildProcess(const std::string& path, const std::vector<std::string>& unset,
                 const std::vector<std::string>& set);
    ~ChildProcess();  // kills the child if it still runs
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return pid_ > 0; }
    pid_t Pid() const { return pid_; }
    // Waits up to timeoutSeconds for the exit; kills the child after that.
    ChildResult Wait(double timeoutSeconds);

private:
    pid_t pid_ = -1;
    int stderrFd_ = -1;
    double startedAt_ = 0.0;
    std::string stderrText_;
    void Drain();
};
