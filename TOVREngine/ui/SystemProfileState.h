#pragma once

#include "platform/SystemProfile.h"

#include <QObject>

#include <optional>

namespace tovr {

// The window's profile of the Mac: absent until the start-up profile arrives. Screens that
// fall back on it re-render on `changed`. GUI thread only.
class SystemProfileState : public QObject {
    Q_OBJECT

public:
    explicit SystemProfileState(QObject* parent = nullptr) : QObject(parent) {}

    const std::optional<SystemProfile>& value() const { return value_; }
    void set(std::optional<SystemProfile> profile) {
        if (profile == value_)
            return;
        value_ = std::move(profile);
        Q_EMIT changed();
    }

Q_SIGNALS:
    void changed();

private:
    std::optional<SystemProfile> value_;
};

} // namespace tovr
