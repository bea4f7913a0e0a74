#pragma once

#include <QString>

namespace tovr {

// The folder holding the application's resources (skills/, example-projects/): inside the
// bundle on a Mac (<app>/Contents/Resources), beside the binary when it was copied there,
// else the source tree's Resources/ for a build run in place. The last is returned when
// none exists, so a lookup in it reports the resource as missing.
QString resourcesDirectory();

} // namespace tovr
