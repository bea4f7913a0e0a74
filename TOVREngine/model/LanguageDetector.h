#pragma once

#include "model/TOVRLanguage.h"
#include "platform/FileSystemOperating.h"

#include <QString>

#include <memory>
#include <optional>
#include <variant>

namespace tovr {

// Tells from the file system how each language is already installed. Reads only; never
// fails (an unreadable folder counts as absent).
struct LanguageDetector {
    // What was found for one language.
    struct Status {
        // Managed the way this app would do it; carries the tool's name.
        struct AlreadySetUp {
            QString name;
            bool operator==(const AlreadySetUp&) const = default;
        };
        // Managed by another version manager; carries its name.
        struct ManagedByOther {
            QString name;
            bool operator==(const ManagedByOther&) const = default;
        };
        struct NotInstalled {
            bool operator==(const NotInstalled&) const = default;
        };
        // Installed outside any version manager.
        struct UnmanagedInstall {
            bool operator==(const UnmanagedInstall&) const = default;
        };

        std::variant<AlreadySetUp, ManagedByOther, NotInstalled, UnmanagedInstall> value;

        static Status alreadySetUp(QString name) { return {AlreadySetUp{std::move(name)}}; }
        static Status managedByOther(QString name) { return {ManagedByOther{std::move(name)}}; }
        static Status notInstalled() { return {NotInstalled{}}; }
        static Status unmanagedInstall() { return {UnmanagedInstall{}}; }
        template <class Case> const Case* as() const { return std::get_if<Case>(&value); }

        // The line shown under the language; absent when nothing is installed.
        std::optional<QString> text() const;

        bool operator==(const Status&) const = default;
    };

    std::shared_ptr<FileSystemOperating> fs;

    Status detect(TOVRLanguage language) const;
};

} // namespace tovr
