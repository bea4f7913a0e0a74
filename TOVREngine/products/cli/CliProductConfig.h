#pragma once

#include "model/ProductConfig.h"

namespace tovr {

// The command-line product this build runs; made once, on first use.
const ProductConfig& cliProduct();

} // namespace tovr
