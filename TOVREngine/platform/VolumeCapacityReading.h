#pragma once

#include <QString>

#include <memory>
#include <optional>

namespace tovr {

// Reads how much room is left on a disk. Tests replace it to be any Mac's disk.
class VolumeCapacityReading {
public:
    virtual ~VolumeCapacityReading() = default;
    // The bytes available on the volume that holds `path`; absent when they cannot be read.
    // Blocks on the file system; keep it off the GUI thread.
    virtual std::optional<qint64> availableVolumeCapacity(const QString& path) const = 0;

    // The volumes of this machine.
    static std::shared_ptr<const VolumeCapacityReading> live();
};

} // namespace tovr
