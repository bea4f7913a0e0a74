#pragma once

#include "platform/EventStream.h"
#include "platform/WorkerTask.h"

#include <QElapsedTimer>
#include <QMetaObject>
#include <QObject>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

namespace tovr {

// How one step of a run ended.
enum class StepEnd { succeeded, failed, canceled };

// Opens once, from any thread; wait() blocks until then.
class StepGate {
public:
    void open() {
        {
            std::lock_guard guard(lock_);
            open_ = true;
        }
        wake_.notify_all();
    }
    void wait() {
        std::unique_lock guard(lock_);
        wake_.wait(guard, [this] { return open_; });
    }

private:
    std::mutex lock_;
    std::condition_variable wake_;
    bool open_ = false;
};

// One run of a fix's steps, for a screen model on the GUI thread. The steps (each a child
// process to follow, or a writer to call) run one after another, each on a worker thread of
// its own, and say how they ended. A failed step stops the run, or is reported and the run
// goes on, as the run was told. A step that ends canceled, or cancel(), ends the step being
// run, skips the rest and ends the run canceled. What the steps send reaches the GUI thread
// in batches, one queued call per burst, and a batch holds the GUI thread at most a frame's
// slice before the rest waits for the next turn of the event loop.
template <class Item> class StepRun final : public QObject {
    struct Channel;

public:
    enum class OnFailure { stop, goOn };
    enum class End { finished, canceled };

    // A step's side, on its worker thread.
    class Context {
    public:
        // Queued for the GUI thread, in order; dropped once the run is canceled.
        void send(Item item) const { channel_->push(std::move(item)); }
        WorkerTask& task() const { return task_; }
        bool isCanceled() const { return task_.isCanceled(); }

        // Starts the stream `start` returns (unless the run is canceled already) and hands its
        // events to `handle`, on the stream's producer thread, until it ends or the run is
        // canceled; a cancel drops the stream, which stops its child. False when canceled.
        template <class Start, class Handle> bool consume(Start start, Handle handle) const {
            if (isCanceled())
                return false;
            return follow(start(), handle);
        }

    private:
        friend class StepRun;
        Context(std::shared_ptr<Channel> channel, WorkerTask& task)
            : channel_(std::move(channel)), task_(task) {}

        template <class T, class Handle> bool follow(EventStream<T> stream, Handle& handle) const {
            auto ended = std::make_shared<StepGate>();
            auto stop = std::move(stream).forEach([&handle](T event) { handle(std::move(event)); },
                                                  [ended] { ended->open(); });
            task_.onCancel([ended] { ended->open(); });
            ended->wait();
            // Once this returns no event reaches `handle` any more.
            stop();
            return !isCanceled();
        }

        std::shared_ptr<Channel> channel_;
        WorkerTask& task_;
    };

    // One step: blocks on its worker thread and says how it ended.
    using Step = std::function<StepEnd(const Context&)>;

    // What the run tells its model, each on the GUI thread.
    struct Handlers {
        // The items of a step, in order, a slice at a time; never after cancel().
        std::function<void(std::vector<Item>&)> items;
        // After each delivery: what came in may now be announced at once.
        std::function<void()> delivered;
        // Before step `index` starts; false skips it.
        std::function<bool(qsizetype index)> beforeStep;
        // After the last item of step `index`; not after cancel().
        std::function<void(qsizetype index, StepEnd end)> afterStep;
        // The run's one end. After cancel() it comes once the step being run has returned.
        std::function<void(End end)> ended;
    };

    StepRun(std::vector<Step> steps, OnFailure onFailure, Handlers handlers,
            QObject* parent = nullptr)
        : QObject(parent), steps_(std::move(steps)), onFailure_(onFailure),
          handlers_(std::move(handlers)) {}

    // Going away stops the step being run; nothing more is told.
    ~StepRun() override {
        if (channel_)
            channel_->close(true);
        if (task_)
            task_->cancel();
    }

    void start() {
        if (std::exchange(started_, true))
            return;
        if (canceled_) {
            // Canceled before it began: it still ends the one way, on a later turn.
            QMetaObject::invokeMethod(
                this, [this] { finish(End::canceled); }, Qt::QueuedConnection);
            return;
        }
        next();
    }

    void cancel() {
        if (ended_ || std::exchange(canceled_, true))
            return;
        if (channel_)
            channel_->close(false);
        if (task_)
            task_->cancel();
    }

    bool isRunning() const { return started_ && !ended_; }

    // How long one delivery may hold the GUI thread.
    static constexpr std::chrono::milliseconds kFrameBudget{2};

private:
    // One step's hand-over from its threads to the GUI thread.
    struct Channel : std::enable_shared_from_this<Channel> {
        explicit Channel(StepRun* owner) : owner(owner) {}

        void push(Item item) {
            std::lock_guard guard(lock);
            if (dropping)
                return;
            queue.push_back(std::move(item));
            post();
        }
        void end(StepEnd how) {
            std::lock_guard guard(lock);
            ended = how;
            post();
        }
        // Drops what is queued and all that comes; `ownerGone` also stops the end's post.
        void close(bool ownerGone) {
            std::lock_guard guard(lock);
            dropping = true;
            gone = gone || ownerGone;
            queue.clear();
        }
        // Under the lock: the owner closes the channel under it before it goes, and a call
        // already posted to it is discarded with it.
        void post() {
            if (posted || gone)
                return;
            posted = true;
            QMetaObject::invokeMethod(
                owner, [owner = owner, self = this->shared_from_this()] { owner->deliver(self); },
                Qt::QueuedConnection);
        }

        StepRun* owner; // only dereferenced on the GUI thread
        std::mutex lock;
        std::vector<Item> queue;
        std::optional<StepEnd> ended;
        bool posted = false;
        bool dropping = false;
        bool gone = false;
    };

    void next() {
        for (; index_ < qsizetype(steps_.size()); ++index_) {
            if (handlers_.beforeStep && !handlers_.beforeStep(index_))
                continue;
            launch(steps_[std::size_t(index_)]);
            return;
        }
        finish(End::finished);
    }

    void launch(Step step) {
        channel_ = std::make_shared<Channel>(this);
        task_ = WorkerTask::make();
        WorkerTask::launch(task_, [channel = channel_, step = std::move(step)](WorkerTask& task) {
            StepEnd how = StepEnd::failed;
            try {
                how = step(Context(channel, task));
            } catch (const std::exception&) {
                // A step that could not even start failed; its own lines said why, if any.
            }
            channel->end(task.isCanceled() ? StepEnd::canceled : how);
        });
    }

    void deliver(const std::shared_ptr<Channel>& channel) {
        if (channel != channel_)
            return;
        QElapsedTimer clock;
        clock.start();
        const qint64 budget = std::chrono::nanoseconds(kFrameBudget).count();
        std::optional<StepEnd> ended;
        std::vector<Item> slice;
        for (;;) {
            if (takenNext_ == taken_.size()) {
                taken_.clear();
                takenNext_ = 0;
                // Everything so far in one go, so the producer meets the lock once per call.
                std::lock_guard guard(channel->lock);
                taken_.swap(channel->queue);
                if (taken_.empty()) {
                    channel->posted = false;
                    ended = channel->ended;
                    // Nothing is sent after the end: the producer's buffer goes now, not
                    // whenever its thread lets the channel go.
                    if (ended)
                        std::vector<Item>().swap(channel->queue);
                    break;
                }
            }
            constexpr std::size_t kSlice = 256;
            const std::size_t end = std::min(taken_.size(), takenNext_ + kSlice);
            slice.clear();
            for (; takenNext_ < end; ++takenNext_)
                slice.push_back(std::move(taken_[takenNext_]));
            if (!canceled_ && handlers_.items)
                handlers_.items(slice);
            if (clock.nsecsElapsed() >= budget) {
                // The rest in a call of its own, after the event loop has had its turn.
                QMetaObject::invokeMethod(
                    this, [this, channel] { deliver(channel); }, Qt::QueuedConnection);
                break;
            }
        }
        if (handlers_.delivered && !canceled_)
            handlers_.delivered();
        if (ended)
            stepEnded(*ended);
    }

    void stepEnded(StepEnd how) {
        channel_.reset();
        task_.reset();
        // A flood's buffer is as long as the flood; the next step grows its own (clear()
        // would keep the capacity).
        std::vector<Item>().swap(taken_);
        takenNext_ = 0;
        if (canceled_) {
            finish(End::canceled);
            return;
        }
        if (handlers_.afterStep)
            handlers_.afterStep(index_, how);
        if (how == StepEnd::canceled) {
            canceled_ = true;
            finish(End::canceled);
            return;
        }
        if (how == StepEnd::failed && onFailure_ == OnFailure::stop) {
            finish(End::finished);
            return;
        }
        ++index_;
        next();
    }

    void finish(End how) {
        if (std::exchange(ended_, true))
            return;
        if (handlers_.ended)
            handlers_.ended(how);
    }

    std::vector<Step> steps_;
    OnFailure onFailure_;
    Handlers handlers_;
    qsizetype index_ = 0;
    bool started_ = false;
    bool canceled_ = false;
    bool ended_ = false;
    // The step being run, while it runs.
    std::shared_ptr<Channel> channel_;
    std::shared_ptr<WorkerTask> task_;
    // Taken from the channel, not yet handed on; GUI thread only.
    std::vector<Item> taken_;
    std::size_t takenNext_ = 0;
};

} // namespace tovr
