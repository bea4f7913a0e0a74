#pragma once

#include <thread>
#include <type_traits>
#include <utility>

namespace tovr {

// A thread its owner joins: destroying a running one waits for it to end. (std::jthread is
// experimental in the libc++ of the Macs we build on.)
class JoiningThread {
public:
    template <class F>
    requires(!std::is_same_v<std::remove_cvref_t<F>, JoiningThread>) explicit JoiningThread(
        F&& body)
        : thread_(std::forward<F>(body)) {}
    JoiningThread(JoiningThread&&) noexcept = default;
    JoiningThread& operator=(JoiningThread&&) = delete;
    ~JoiningThread() {
        if (thread_.joinable())
            thread_.join();
    }

private:
    std::thread thread_;
};

} // namespace tovr
