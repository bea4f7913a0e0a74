#include "platform/PosixChild.h"

#include "platform/Error.h"
#include "platform/Logging.h"

#include <QByteArray>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#if defined(__linux__)
#include <sys/syscall.h>
#elif defined(__APPLE__)
#include <sys/event.h>
#endif

extern char** environ;

namespace tovr {

namespace {

using Clock = std::chrono::steady_clock;

void makePipe(int fds[2]) {
#if defined(__APPLE__)
    // No pipe2 on macOS; POSIX_SPAWN_CLOEXEC_DEFAULT keeps these out of other children.
    if (::pipe(fds) != 0)
        throw SystemError::fromErrno(errno);
    ::fcntl(fds[0], F_SETFD, FD_CLOEXEC);
    ::fcntl(fds[1], F_SETFD, FD_CLOEXEC);
#else
    if (::pipe2(fds, O_CLOEXEC) != 0)
        throw SystemError::fromErrno(errno);
#endif
}

void closeFd(int& fd) {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

// A descriptor that becomes readable when `pid` exits, so the wait for the exit wakes at
// once instead of polling; -1 when the system offers none (an old kernel).
int openExitWatch(pid_t pid) {
#if defined(__linux__) && defined(SYS_pidfd_open)
    // Close-on-exec by default; it refers to this child alone, even once its id is reused.
    return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
#elif defined(__APPLE__)
    const int kq = ::kqueue();
    if (kq < 0)
        return -1;
    struct kevent change;
    EV_SET(&change, pid, EVFILT_PROC, EV_ADD | EV_ONESHOT, NOTE_EXIT, 0, nullptr);
    // An exit that came first fails the registration; the exit is then polled.
    if (::kevent(kq, &change, 1, nullptr, 0, nullptr) != 0) {
        ::close(kq);
        return -1;
    }
    return kq;
#else
    (void)pid;
    return -1;
#endif
}

qint32 statusToCode(int status) {
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return WTERMSIG(status);
    return -1;
}

// RAII for the spawn's attribute objects.
struct SpawnSetup {
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attr;
    SpawnSetup() {
        posix_spawn_file_actions_init(&actions);
        posix_spawnattr_init(&attr);
    }
    ~SpawnSetup() {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attr);
    }
};

} // namespace

PosixChild::PosixChild(pid_t pid, int outFd, int errFd, int exitFd, ChildTimings timings)
    : pid_(pid), fds_{outFd, errFd}, exitFd_(exitFd), timings_(timings) {}

PosixChild::~PosixChild() {
    closeFd(fds_[0]);
    closeFd(fds_[1]);
    closeFd(exitFd_);
}

std::shared_ptr<PosixChild> PosixChild::spawn(const QString& executable,
                                              const QStringList& arguments,
                                              const std::optional<ProcessEnvironment>& environment,
                                              bool mergeOutput, ChildTimings timings) {
    int out[2] = {-1, -1};
    int err[2] = {-1, -1};
    makePipe(out);
    if (!mergeOutput) {
        try {
            makePipe(err);
        } catch (...) {
            closeFd(out[0]);
            closeFd(out[1]);
            throw;
        }
    }

    SpawnSetup setup;
    posix_spawn_file_actions_addopen(&setup.actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&setup.actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&setup.actions, mergeOutput ? out[1] : err[1], 2);

    short flags = POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
#if defined(__APPLE__)
    flags |= POSIX_SPAWN_CLOEXEC_DEFAULT;
#endif
    posix_spawnattr_setflags(&setup.attr, flags);
    posix_spawnattr_setpgroup(&setup.attr, 0);
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&setup.attr, &none);
    posix_spawnattr_setsigdefault(&setup.attr, &all);

    const std::string path = executable.toStdString();
    std::vector<std::string> argStore;
    argStore.reserve(arguments.size() + 1);
    argStore.push_back(path);
    for (const auto& a : arguments)
        argStore.push_back(a.toStdString());
    std::vector<char*> argv;
    for (auto& a : argStore)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    std::vector<std::string> envStore;
    std::vector<char*> envp;
    char** envArg = environ;
    if (environment) {
        for (auto it = environment->cbegin(); it != environment->cend(); ++it)
            envStore.push_back((it.key() + u'=' + it.value()).toStdString());
        for (auto& e : envStore)
            envp.push_back(e.data());
        envp.push_back(nullptr);
        envArg = envp.data();
    }

    pid_t pid = -1;
    const int rc =
        ::posix_spawn(&pid, path.c_str(), &setup.actions, &setup.attr, argv.data(), envArg);
    closeFd(out[1]);
    closeFd(err[1]);
    if (rc != 0) {
        closeFd(out[0]);
        closeFd(err[0]);
        throw SystemError::fromErrno(rc);
    }
    return std::shared_ptr<PosixChild>(
        new PosixChild(pid, out[0], err[0], openExitWatch(pid), timings));
}

bool PosixChild::isRunning() const {
    std::lock_guard guard(lock_);
    return !exited_ && !reaped_;
}

void PosixChild::terminate() {
    std::lock_guard guard(lock_);
    // The child is reaped only after its output is drained, so until then neither its id
    // nor its group's can be reused; after the reap they may belong to a stranger.
    if (reaped_)
        return;
    ::kill(-pid_, SIGTERM);
    if (!terminateRequested_)
        terminateRequested_ = Clock::now();
}

void PosixChild::escalateIfDue() {
    std::lock_guard guard(lock_);
    if (!terminateRequested_ || killed_ || reaped_)
        return;
    if (Clock::now() - *terminateRequested_ < timings_.killGrace)
        return;
    killed_ = Clock::now();
    qCWarning(lcProcess) << "Child" << pid_ << "ignored the termination request; killing it";
    ::kill(-pid_, SIGKILL);
}

void PosixChild::endGroup() {
    std::lock_guard guard(lock_);
    // The leader is a zombie until reaped, so its group's number is still ours.
    if (reaped_ || killed_)
        return;
    ::kill(-pid_, SIGKILL);
    killed_ = Clock::now();
}

bool PosixChild::pollExited() {
    {
        std::lock_guard guard(lock_);
        if (exited_ || reaped_)
            return true;
    }
    siginfo_t info{};
    if (::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
        info.si_pid == pid_) {
        std::lock_guard guard(lock_);
        exited_ = true;
        return true;
    }
    return false;
}

int PosixChild::escalationSliceMs() const {
    std::lock_guard guard(lock_);
    // A terminate() from another thread is noticed within this slice.
    constexpr int kSliceMs = 100;
    if (!terminateRequested_ || killed_)
        return kSliceMs;
    const auto due = *terminateRequested_ + timings_.killGrace;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(due - Clock::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, kSliceMs));
}

qint32 PosixChild::reap() {
    // Wait for the exit without reaping; escalation must keep running meanwhile. The exit
    // watch wakes the wait the moment the child exits; without one, back off from 1 ms,
    // since the exit usually follows the end of output at once.
    int sleepMs = 1;
    bool watching = exitFd_ >= 0;
    while (!pollExited()) {
        escalateIfDue();
        if (watching) {
            pollfd watch{exitFd_, POLLIN, 0};
            // Once it has fired it stays readable: should the exit not show yet, poll.
            watching = ::poll(&watch, 1, escalationSliceMs()) <= 0;
        } else {
            ::poll(nullptr, 0, sleepMs);
            sleepMs = std::min(sleepMs * 2, 50);
        }
    }
    int status = 0;
    pid_t r;
    do {
        // Holding the lock while reaping keeps terminate() from signalling a reused id.
        std::lock_guard guard(lock_);
        r = ::waitpid(pid_, &status, 0);
        if (r == pid_ || (r < 0 && errno != EINTR))
            reaped_ = true;
    } while (r < 0 && errno == EINTR);
    return r == pid_ ? statusToCode(status) : -1;
}

bool PosixChild::drainOver(std::optional<Clock::time_point> exitSeen) const {
    if (!exitSeen)
        return false;
    std::lock_guard guard(lock_);
    // A group asked to end keeps being read until it is killed: what holds the output then
    // ignored the request, and must not outlive the leader's reaping, after which the
    // group's number may belong to a stranger.
    if (terminateRequested_ && !killed_)
        return false;
    const Clock::time_point since = killed_ ? std::max(*exitSeen, *killed_) : *exitSeen;
    return Clock::now() - since >= timings_.outputDrainBound;
}

qint32 PosixChild::drive(const ChunkHandler& onChunk, const std::function<bool()>& stopReading) {
    std::optional<Clock::time_point> exitSeen;
    auto lastExitCheck = Clock::now();
    std::vector<char> buffer(64 * 1024);
    bool warned = false;
    bool watchFired = false;
    bool discarding = false;
    for (;;) {
        pollfd pfds[3];
        int channel[3];
        int n = 0;
        for (int i = 0; i < 2; ++i) {
            if (fds_[i] >= 0) {
                pfds[n] = {fds_[i], POLLIN, 0};
                channel[n] = i;
                ++n;
            }
        }
        if (n == 0)
            break;
        // A consumer that left gets nothing more, but the output is still read: closing it
        // now would let the leader be reaped while the group it was asked to end lives on.
        if (!discarding && stopReading && stopReading())
            discarding = true;
        // Until the exit is seen its watch wakes the loop, so the drain bound starts then.
        constexpr int kExitWatch = 2;
        if (!exitSeen && !watchFired && exitFd_ >= 0) {
            pfds[n] = {exitFd_, POLLIN, 0};
            channel[n] = kExitWatch;
            ++n;
        }
        const int ready = ::poll(pfds, static_cast<nfds_t>(n), 100);
        if (ready < 0 && errno != EINTR)
            break;
        bool exitSignalled = false;
        for (int k = 0; k < n && ready > 0; ++k) {
            if (!(pfds[k].revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL)))
                continue;
            if (channel[k] == kExitWatch) {
                exitSignalled = watchFired = true;
                continue;
            }
            int& fd = fds_[channel[k]];
            const ssize_t got = ::read(fd, buffer.data(), buffer.size());
            if (got > 0) {
                if (!discarding)
                    onChunk(channel[k] == 0 ? Channel::out : Channel::err, buffer.data(), got);
            } else if (got == 0 || (errno != EINTR && errno != EAGAIN)) {
                closeFd(fd);
            }
        }
        escalateIfDue();
        const auto now = Clock::now();
        if (exitSignalled || ready == 0 || now - lastExitCheck >= std::chrono::milliseconds(100)) {
            lastExitCheck = now;
            if (!exitSeen && pollExited()) {
                exitSeen = now;
                if (timings_.endGroupOnExit)
                    endGroup();
            }
            if (drainOver(exitSeen)) {
                if (!warned)
                    qCWarning(lcProcess)
                        << "Child" << pid_ << "exited but its output stayed open; stopped reading";
                warned = true;
                break;
            }
        }
    }
    closeFd(fds_[0]);
    closeFd(fds_[1]);
    return reap();
}

} // namespace tovr
