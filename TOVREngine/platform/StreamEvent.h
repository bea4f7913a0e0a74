#pragma once

#include <QString>

#include <variant>

namespace tovr {

// One event of a login-shell run as workers report it.
struct StreamEvent {
    struct Output {
        QString text;
        bool operator==(const Output&) const = default;
    };
    struct Completed {
        qint32 exitCode = 0;
        bool operator==(const Completed&) const = default;
    };
    struct Canceled {
        bool operator==(const Canceled&) const = default;
    };

    std::variant<Output, Completed, Canceled> value;

    static StreamEvent output(QString text) { return {Output{std::move(text)}}; }
    static StreamEvent completed(qint32 exitCode) { return {Completed{exitCode}}; }
    static StreamEvent canceled() { return {Canceled{}}; }
    template <class Case> const Case* as() const { return std::get_if<Case>(&value); }
    bool operator==(const StreamEvent&) const = default;
};

} // namespace tovr
