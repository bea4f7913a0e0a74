#pragma once

#include <QString>

#include <optional>
#include <variant>

namespace tovr {

// One event of a login-shell run, or of a sign-in, as workers report it.
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
    // A page the user must open (a sign-in's device page), with the one-time code to type
    // there when one was seen first.
    struct OpenBrowser {
        QString url;
        std::optional<QString> code;
        bool operator==(const OpenBrowser&) const = default;
    };

    std::variant<Output, Completed, Canceled, OpenBrowser> value;

    static StreamEvent output(QString text) { return {Output{std::move(text)}}; }
    static StreamEvent completed(qint32 exitCode) { return {Completed{exitCode}}; }
    static StreamEvent canceled() { return {Canceled{}}; }
    static StreamEvent openBrowser(OpenBrowser page) { return {std::move(page)}; }
    template <class Case> const Case* as() const { return std::get_if<Case>(&value); }
    bool operator==(const StreamEvent&) const = default;
};

} // namespace tovr
