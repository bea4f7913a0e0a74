#pragma once

// The bodies the closing frames of the setup workflow embed. Each renders the model in
// place and calls its actions; a body whose action ends the workflow empties the
// navigation path itself.

#include "workflow/views/InterstitialBody.h"
#include "workflow/views/KeepGoingButtons.h"
#include "workflow/views/NPSBody.h"
#include "workflow/views/OutcomeBody.h"
#include "workflow/views/VerifyingBody.h"
