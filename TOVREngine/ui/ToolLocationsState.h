#pragma once

#include "platform/ToolLocations.h"

#include <QObject>

#include <optional>

namespace tovr {

// The window's knowledge of where the user's files are, as the login shell has it: absent
// until the read that starts at launch has ended. Screens that name those files follow it
// and re-render on `changed`, never by asking the read themselves, so a sentence changes only
// together with its screen's change signal. GUI thread only.
class ToolLocationsState : public QObject {
    Q_OBJECT

public:
    explicit ToolLocationsState(QObject* parent = nullptr) : QObject(parent) {}

    const std::optional<ToolLocations>& value() const { return value_; }
    void set(std::optional<ToolLocations> locations) {
        if (locations == value_)
            return;
        value_ = std::move(locations);
        Q_EMIT changed();
    }

Q_SIGNALS:
    void changed();

private:
    std::optional<ToolLocations> value_;
};

} // namespace tovr
