#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>
#include <variant>
#include <vector>

namespace tovr {

// How a stream ended, as its termination callback learns it.
enum class StreamTermination { finished, canceled };

// Many events handed over at once and made only when the consumer takes them, so that the
// work and the memory of each event stay on the thread that uses it.
template <class T> class EventBatch {
public:
    virtual ~EventBatch() = default;
    virtual std::size_t size() const = 0;
    // Makes event `i`; each index is asked for once, in order.
    virtual T make(std::size_t i) = 0;
};

namespace detail {

// One queued event, or a batch of events still to be made.
template <class T> using QueuedEvents = std::variant<T, std::unique_ptr<EventBatch<T>>>;

template <class T> struct EventStreamState {
    // deliverMutex serialises callback delivery against attach and cancel, so that once
    // cancel() returns no callback runs any more. It is always taken before `m`.
    std::recursive_mutex deliverMutex;
    std::mutex m;
    std::condition_variable cv;
    int waiters = 0; // consumers blocked in next(): only they need a wake-up
    // A vector, not a deque: the consumer swaps it for its own emptied one, so the two
    // buffers change hands and a busy stream stops allocating for its queue.
    std::vector<QueuedEvents<T>> queue;
    bool finished = false;   // the producer finished; the queue may still hold events
    bool terminated = false; // finished or canceled: no more events are accepted
    bool terminationRan = false;
    StreamTermination reason = StreamTermination::finished;
    std::function<void(StreamTermination)> onTermination;
    std::function<void(T)> sink;   // callback mode
    std::function<void()> sinkEnd; // callback mode: after the last event of a finished stream

    // Runs the termination callback exactly once, outside every lock.
    void runTermination() {
        std::function<void(StreamTermination)> f;
        StreamTermination why;
        {
            std::lock_guard lock(m);
            if (!terminated)
                return;
            if (!terminationRan && onTermination) {
                terminationRan = true;
                f = std::move(onTermination);
                onTermination = nullptr;
            }
            why = reason;
        }
        if (f)
            f(why);
    }
};

} // namespace detail

template <class T> class EventStream;

// The producer's side of an EventStream. Copies share the stream.
template <class T> class EventContinuation {
public:
    EventContinuation() = default;

    // Adds an event. Returns false (and drops the event) once the stream has ended.
    bool yield(T value) const {
        return put(
            [&](auto& queue) { queue.emplace_back(std::in_place_index<0>, std::move(value)); },
            [&](const auto& sink) { sink(std::move(value)); });
    }

    // Adds several events under one lock, in order; cheaper than one yield each.
    bool yieldAll(std::vector<T> values) const {
        return put(
            [&](auto& queue) {
                for (auto& v : values)
                    queue.emplace_back(std::in_place_index<0>, std::move(v));
            },
            [&](const auto& sink) {
                for (auto& v : values)
                    sink(std::move(v));
            });
    }

    // Adds a batch's events under one lock, in order. A consumer that pulls makes each event
    // as it takes it; a callback consumer gets them made here, on the producer's thread.
    bool yieldBatch(std::unique_ptr<EventBatch<T>> batch) const {
        if (!batch || batch->size() == 0)
            return !isTerminated();
        return put(
            [&](auto& queue) { queue.emplace_back(std::in_place_index<1>, std::move(batch)); },
            [&](const auto& sink) {
                for (std::size_t i = 0; i < batch->size(); ++i)
                    sink(batch->make(i));
            });
    }

    // Ends the stream; events already yielded are still delivered. Idempotent.
    void finish() const {
        if (!s_)
            return;
        std::function<void()> end;
        {
            std::unique_lock deliver(s_->deliverMutex);
            {
                std::lock_guard lock(s_->m);
                if (s_->terminated)
                    return;
                s_->terminated = true;
                s_->finished = true;
                s_->reason = StreamTermination::finished;
                s_->cv.notify_all();
                end = std::move(s_->sinkEnd);
                s_->sinkEnd = nullptr;
            }
            if (end)
                end();
        }
        s_->runTermination();
    }

    // True once the stream has ended (finished, or the consumer canceled or dropped it).
    bool isTerminated() const {
        if (!s_)
            return true;
        std::lock_guard lock(s_->m);
        return s_->terminated;
    }

    // Installs the callback that runs once when the stream ends; runs it at once when the
    // stream has ended already.
    void onTermination(std::function<void(StreamTermination)> f) const {
        if (!s_)
            return;
        {
            std::lock_guard lock(s_->m);
            s_->onTermination = std::move(f);
        }
        s_->runTermination();
    }

private:
    friend class EventStream<T>;
    explicit EventContinuation(std::shared_ptr<detail::EventStreamState<T>> s) : s_(std::move(s)) {}

    // Queues with `enqueue` for a consumer that pulls, or hands to the callback consumer with
    // `deliver` outside the state's lock (the delivery lock keeps cancel() out meanwhile).
    template <class Enqueue, class Deliver> bool put(Enqueue&& enqueue, Deliver&& deliver) const {
        if (!s_)
            return false;
        std::unique_lock deliverLock(s_->deliverMutex);
        std::function<void(T)> sink;
        bool wake = false;
        {
            std::lock_guard lock(s_->m);
            if (s_->terminated)
                return false;
            if (!s_->sink) {
                enqueue(s_->queue);
                wake = s_->waiters > 0;
            } else {
                sink = s_->sink;
            }
        }
        if (wake) {
            // Outside the lock, so that the woken consumer does not block on it at once.
            s_->cv.notify_all();
            return true;
        }
        if (sink)
            deliver(sink);
        return true;
    }
    std::shared_ptr<detail::EventStreamState<T>> s_;
};

// An unbounded, thread-safe stream of events with one consumer. The consumer either pulls
// with next() or hands the stream to forEach(). Dropping or cancelling the
// stream ends it: the producer's further events are discarded and its termination
// callback runs.
template <class T> class EventStream {
public:
    using Continuation = EventContinuation<T>;

    static std::pair<EventStream, Continuation> make() {
        auto s = std::make_shared<detail::EventStreamState<T>>();
        return {EventStream(s), Continuation(s)};
    }

    // Builds a stream and hands its continuation to `body` before returning.
    template <class Body> static EventStream create(Body&& body) {
        auto [stream, continuation] = make();
        std::forward<Body>(body)(continuation);
        return std::move(stream);
    }

    EventStream() = default;
    EventStream(EventStream&& other) noexcept
        : s_(std::move(other.s_)), local_(std::move(other.local_)),
          localNext_(std::exchange(other.localNext_, 0)),
          batchNext_(std::exchange(other.batchNext_, 0)) {}
    EventStream& operator=(EventStream&& other) noexcept {
        if (this != &other) {
            cancel();
            s_ = std::move(other.s_);
            local_ = std::move(other.local_);
            localNext_ = std::exchange(other.localNext_, 0);
            batchNext_ = std::exchange(other.batchNext_, 0);
        }
        return *this;
    }
    EventStream(const EventStream&) = delete;
    EventStream& operator=(const EventStream&) = delete;
    ~EventStream() { cancel(); }

    // Blocks until the next event; absent at the end of the stream or after cancel().
    std::optional<T> next() { return pull(nullptr); }

    // Like next(), but gives up after `timeout`; `timedOut` tells the two absences apart.
    template <class Rep, class Period>
    std::optional<T> next(std::chrono::duration<Rep, Period> timeout, bool* timedOut) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        return pull(&deadline, timedOut);
    }

    // The consumer stops listening: buffered events are dropped, nothing more is
    // delivered once this returns, and the termination callback runs (if it has not).
    void cancel() {
        local_.clear();
        localNext_ = batchNext_ = 0;
        if (!s_)
            return;
        cancelState(s_);
        s_.reset();
    }

    // Consumes the stream with callbacks run on the producer's thread, in order. Events
    // buffered so far are delivered before this returns. `onEnd` runs after the last event
    // of a finished stream (not after a cancel). Returns a handle that cancels the stream.
    std::function<void()> forEach(std::function<void(T)> onEvent,
                                  std::function<void()> onEnd = nullptr) && {
        auto s = std::move(s_);
        if (!s)
            return [] {};
        std::vector<detail::QueuedEvents<T>> pending;
        for (auto i = localNext_; i < local_.size(); ++i)
            pending.push_back(std::move(local_[i]));
        auto firstFrom = batchNext_; // a batch partly taken goes on where it was
        local_.clear();
        localNext_ = batchNext_ = 0;
        bool ended = false;
        {
            std::unique_lock deliver(s->deliverMutex);
            {
                std::lock_guard lock(s->m);
                for (auto& v : s->queue)
                    pending.push_back(std::move(v));
                s->queue.clear();
                ended = s->finished;
                if (s->reason == StreamTermination::canceled && s->terminated)
                    return [] {};
                if (!ended) {
                    s->sink = onEvent;
                    s->sinkEnd = onEnd;
                }
            }
            for (auto& item : pending) {
                if (auto* v = std::get_if<0>(&item)) {
                    onEvent(std::move(*v));
                } else {
                    auto& batch = *std::get<1>(item);
                    for (auto i = std::exchange(firstFrom, 0); i < batch.size(); ++i)
                        onEvent(batch.make(i));
                }
            }
            if (ended && onEnd)
                onEnd();
        }
        std::weak_ptr<detail::EventStreamState<T>> weak = s;
        // The stream now lives as long as its producer holds the continuation.
        return [weak] {
            if (auto st = weak.lock())
                cancelState(st);
        };
    }

private:
    explicit EventStream(std::shared_ptr<detail::EventStreamState<T>> s) : s_(std::move(s)) {}

    std::optional<T> pull(const std::chrono::steady_clock::time_point* deadline,
                          bool* timedOut = nullptr) {
        std::optional<T> event; // the one object returned, so that it is built in place
        if (timedOut)
            *timedOut = false;
        if (localNext_ >= local_.size() && !refill(deadline, timedOut))
            return event;
        auto& item = local_[localNext_];
        if (auto* v = std::get_if<0>(&item)) {
            event.emplace(std::move(*v));
            ++localNext_;
            return event;
        }
        // A batch is never empty; it is let go as soon as its last event is made.
        auto& batch = std::get<1>(item);
        event.emplace(batch->make(batchNext_++));
        if (batchNext_ >= batch->size()) {
            batch.reset();
            ++localNext_;
            batchNext_ = 0;
        }
        return event;
    }

    // Takes everything queued at once, so a fast producer and the consumer meet at the lock
    // once per batch rather than once per event. False when there is nothing to take.
    bool refill(const std::chrono::steady_clock::time_point* deadline, bool* timedOut) {
        if (!s_)
            return false;
        local_.clear(); // keeps its capacity for the producer
        localNext_ = batchNext_ = 0;
        std::unique_lock lock(s_->m);
        auto ready = [&] { return !s_->queue.empty() || s_->terminated; };
        ++s_->waiters;
        bool ok = true;
        if (deadline)
            ok = s_->cv.wait_until(lock, *deadline, ready);
        else
            s_->cv.wait(lock, ready);
        --s_->waiters;
        if (!ok) {
            if (timedOut)
                *timedOut = true;
            return false;
        }
        if (s_->reason == StreamTermination::canceled && s_->terminated)
            return false;
        local_.swap(s_->queue);
        return !local_.empty();
    }

    static void cancelState(const std::shared_ptr<detail::EventStreamState<T>>& s) {
        {
            std::unique_lock deliver(s->deliverMutex);
            std::lock_guard lock(s->m);
            s->sink = nullptr;
            s->sinkEnd = nullptr;
            s->queue.clear();
            if (!s->terminated) {
                s->terminated = true;
                s->reason = StreamTermination::canceled;
            }
            s->cv.notify_all();
        }
        s->runTermination();
    }

    std::shared_ptr<detail::EventStreamState<T>> s_;
    // Taken from the shared queue, owned by the consumer alone.
    std::vector<detail::QueuedEvents<T>> local_;
    std::size_t localNext_ = 0; // the next item of local_ to hand out
    std::size_t batchNext_ = 0; // when that item is a batch, its next event
};

} // namespace tovr
