#pragma once

#include "model/ProductConfig.h"

namespace tovr {

// The command-line product this build runs; made once, on first use.
const ProductConfig& cliProduct();

// Its policy: the Homebrew product's, with Git and the shell files needing no Homebrew.
const SpineRenderPolicy& cliSpinePolicy();

} // namespace tovr
