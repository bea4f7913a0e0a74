#pragma once

#include "platform/JoiningThread.h"

#include <QList>

#include <exception>
#include <functional>
#include <optional>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

namespace tovr {

namespace detail {

template <class F> using ResultOf = std::invoke_result_t<F&>;

template <class F> struct Slot {
    std::optional<ResultOf<F>> value;
    std::exception_ptr error;
    void run(F& f) {
        try {
            value.emplace(f());
        } catch (...) {
            error = std::current_exception();
        }
    }
};

} // namespace detail

// Runs each blocking call on a thread of its own (the first on the calling thread) and
// returns all results once every call has returned. Dedicated threads, never a bounded
// pool: the calls may themselves block on nested concurrent work. The first exception
// thrown by a call is rethrown after all calls have ended.
template <class... F> auto concurrently(F&&... fs) {
    static_assert(sizeof...(F) > 0);
    std::tuple<std::decay_t<F>...> calls(std::forward<F>(fs)...);
    std::tuple<detail::Slot<std::decay_t<F>>...> slots;
    {
        std::vector<JoiningThread> threads;
        threads.reserve(sizeof...(F));
        [&]<std::size_t... I>(std::index_sequence<I...>) {
            ((I == 0 ? void() : void(threads.emplace_back([&] {
                 std::get<I>(slots).run(std::get<I>(calls));
             }))),
             ...);
            std::get<0>(slots).run(std::get<0>(calls));
        }
        (std::index_sequence_for<F...>{});
    } // joins
    std::apply([](auto&... s) { ((s.error ? std::rethrow_exception(s.error) : void()), ...); },
               slots);
    return std::apply([](auto&... s) { return std::make_tuple(std::move(*s.value)...); }, slots);
}

// Applies `f` to every element at once, one thread per element; results keep the order of
// `items`.
template <class Item, class F> auto concurrentlyMap(const QList<Item>& items, F f) {
    using R = std::invoke_result_t<F&, const Item&>;
    std::vector<std::optional<R>> values(items.size());
    std::vector<std::exception_ptr> errors(items.size());
    {
        std::vector<JoiningThread> threads;
        threads.reserve(items.size());
        for (qsizetype i = 1; i < items.size(); ++i)
            threads.emplace_back([&, i] {
                try {
                    values[i].emplace(f(items[i]));
                } catch (...) {
                    errors[i] = std::current_exception();
                }
            });
        if (!items.isEmpty()) {
            try {
                values[0].emplace(f(items[0]));
            } catch (...) {
                errors[0] = std::current_exception();
            }
        }
    }
    for (auto& e : errors)
        if (e)
            std::rethrow_exception(e);
    QList<R> out;
    out.reserve(items.size());
    for (auto& v : values)
        out.append(std::move(*v));
    return out;
}

} // namespace tovr
