#include "platform/VolumeCapacityReading.h"

#include <QStorageInfo>

namespace tovr {

namespace {

class LiveVolumeCapacity final : public VolumeCapacityReading {
public:
    std::optional<qint64> availableVolumeCapacity(const QString& path) const override {
        const QStorageInfo volume(path);
        if (!volume.isValid() || !volume.isReady())
            return std::nullopt;
        const qint64 available = volume.bytesAvailable();
        if (available < 0)
            return std::nullopt;
        return available;
    }
};

} // namespace

std::shared_ptr<const VolumeCapacityReading> VolumeCapacityReading::live() {
    static const auto volumes = std::make_shared<const LiveVolumeCapacity>();
    return volumes;
}

} // namespace tovr
