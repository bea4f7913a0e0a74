#pragma once

namespace tovr {

// How an install sheet ended, as it reports it once to its owner.
enum class SetupActionOutcome { success, failure, canceled };

} // namespace tovr
