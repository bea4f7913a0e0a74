#pragma once

#include "model/ProductConfig.h"

namespace tovr {

// The Claude Code product, carried beside the command-line product; made once, on first use.
const ProductConfig& claudeProduct();

} // namespace tovr
