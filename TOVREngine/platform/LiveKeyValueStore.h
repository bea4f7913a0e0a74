#pragma once

#include "platform/KeyValueStoring.h"

#include <memory>
#include <mutex>

class QSettings;

namespace tovr {

// Settings kept with QSettings. Each change is written through at once, so another store
// over the same settings (or the next launch) sees it.
class LiveKeyValueStore final : public KeyValueStoring {
public:
    // The application's own settings (its organisation and application names).
    LiveKeyValueStore();
    // Settings in the INI file at `settingsFile` (tests).
    explicit LiveKeyValueStore(const QString& settingsFile);
    // The user's settings under other organisation and application names (a scope apart).
    LiveKeyValueStore(const QString& organization, const QString& application);
    ~LiveKeyValueStore() override;

    void set(const std::optional<QVariant>& value, const QString& key) override;
    std::optional<QString> string(const QString& key) const override;
    std::optional<bool> boolean(const QString& key) const override;

private:
    mutable std::mutex lock_; // one QSettings object is not safe across threads
    std::unique_ptr<QSettings> settings_;
};

} // namespace tovr
