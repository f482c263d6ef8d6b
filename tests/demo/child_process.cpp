#include "child_process.h"

#include <fcntl.h>
#include <sys/prctl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

extern char** environ;

namespace {

double Now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

ChildProcess::ChildProcess(const std::string& path, const std::vector<std::string>& unset,
                           const std::vector<std::string>& set) {
    // The child's environment is built here, before fork, so the child only execs.
    std::vector<std::string> env;
    for (char** entry = environ; *entry; ++entry) {
        const std::string text(*entry);
        bool drop = false;
        for (const std::string& name : unset)
            if (text.compare(0, name.size() + 1, name + "=") == 0) drop = true;
        // A variable that is set anew replaces the inherited one.
        for (const std::string& added : set)
            if (text.compare(0, added.find('=') + 1, added.substr(0, added.find('=') + 1)) == 0)
                drop = true;
        if (!drop) env.push_back(text);
    }
    env.insert(env.end(), set.begin(), set.end());
    std::vector<char*> envp;
    for (std::string& entry : env) envp.push_back(entry.data());
    envp.push_back(nullptr);
    std::string program = path;
    char* argv[] = {program.data(), nullptr};

    // The child's stderr goes into a pipe that Wait drains while it polls,
    // so a chatty child never blocks on a full pipe.
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return;
    startedAt_ = Now();
    pid_ = fork();
    if (pid_ == 0) {
        // If the test process dies without its destructors, the program goes too.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        dup2(pipeFds[1], STDERR_FILENO);
        close(pipeFds[0]);
        close(pipeFds[1]);
        execve(argv[0], argv, envp.data());
        _exit(127);
    }
    close(pipeFds[1]);
    stderrFd_ = pipeFds[0];
    fcntl(stderrFd_, F_SETFL, O_NONBLOCK);
}

// A test that fails half-way must not leave a window program running.
ChildProcess::~ChildProcess() {
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    if (stderrFd_ >= 0) close(stderrFd_);
}

void ChildProcess::Drain() {
    char buffer[4096];
    ssize_t got;
    while (stderrFd_ >= 0 && (got = read(stderrFd_, buffer, sizeof buffer)) > 0)
        stderrText_.append(buffer, static_cast<std::size_t>(got));
}

ChildResult ChildProcess::Wait(double timeoutSeconds) {
    ChildResult result;
    if (pid_ <= 0) return result;
    for (;;) {
        Drain();
        int status = 0;
        const pid_t done = waitpid(pid_, &status, WNOHANG);
        if (done == pid_) {
            pid_ = -1;
            result.exited = WIFEXITED(status);
            result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            break;
        }
        // Past the deadline the child is killed and reported as not exited.
        if (Now() - startedAt_ > timeoutSeconds) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
            pid_ = -1;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    Drain();
    result.seconds = Now() - startedAt_;
    result.stderrText = stderrText_;
    return result;
}
