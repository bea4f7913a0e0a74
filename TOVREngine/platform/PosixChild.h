#pragma once

#include "platform/LiveProcessCancellation.h"
#include "platform/ProcessRunning.h"

#include <chrono>
#include <functional>
#include <mutex>
#include <optional>

#include <sys/types.h>

namespace tovr {

// How long a child's output may stay open after the child has exited, and how long a
// terminated child may take before it is killed.
struct ChildTimings {
    std::chrono::milliseconds outputDrainBound{3000};
    std::chrono::milliseconds killGrace{5000};
    // Once the child has exited, what it left running in its group is killed: for a child
    // whose leftovers are of no use to anyone (a read of the login shell).
    bool endGroupOnExit = false;
};

// One child started with posix_spawn in a process group of its own, standard input from
// /dev/null and every descriptor of ours closed. Its process id is signalled only until
// it is reaped, so a reused id is never mistaken for it.
class PosixChild final : public ChildProcess {
public:
    // Which pipe a chunk of output came from.
    enum class Channel { out, err };
    using ChunkHandler = std::function<void(Channel, const char*, qsizetype)>;

    // Launches the child. With `mergeOutput` standard error shares standard output's pipe.
    // Throws SystemError when the launch fails.
    static std::shared_ptr<PosixChild> spawn(const QString& executable,
                                             const QStringList& arguments,
                                             const std::optional<ProcessEnvironment>& environment,
                                             bool mergeOutput, ChildTimings timings);
    ~PosixChild() override;

    bool isRunning() const override;
    void terminate() override;

    // Reads the child's output until it ends (or the drain bound after the exit passes;
    // after terminate(), only once the grace is over and the whole group has been killed),
    // handing each chunk to `onChunk`, then waits for the exit and reaps the child. Once
    // `stopReading` returns true no chunk is handed on (the consumer left). Returns the exit
    // status; a signal's number when the child was killed by one.
    qint32 drive(const ChunkHandler& onChunk, const std::function<bool()>& stopReading = {});

    pid_t pid() const { return pid_; }

private:
    PosixChild(pid_t pid, int outFd, int errFd, int exitFd, ChildTimings timings);
    bool pollExited(); // true once the child is a zombie or reaped; never reaps
    qint32 reap();
    void escalateIfDue();
    void endGroup(); // kills what the exited leader left in its group
    // Whether reading may stop: the output has stayed open past the drain bound after the
    // exit (or after the kill, once a termination was asked for).
    bool drainOver(std::optional<std::chrono::steady_clock::time_point> exitSeen) const;
    // How long a wait may last before the next escalation check is due.
    int escalationSliceMs() const;

    const pid_t pid_;
    int fds_[2];
    // Readable once the child has exited (a pidfd, or a kqueue watching the exit); -1 where
    // the system has neither, and the exit is then polled.
    int exitFd_;
    const ChildTimings timings_;

    mutable std::mutex lock_;
    bool exited_ = false; // a zombie: its id is still ours until reaped
    bool reaped_ = false;
    std::optional<std::chrono::steady_clock::time_point> terminateRequested_;
    std::optional<std::chrono::steady_clock::time_point> killed_;
};

} // namespace tovr
