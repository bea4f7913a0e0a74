#pragma once

#include "model/ProductConfig.h"

namespace tovr {

// The Homebrew product, carried beside the command-line product; made once, on first use.
const ProductConfig& brewProduct();

} // namespace tovr
