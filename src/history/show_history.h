#pragma once

#include "app/flow_context.h"

namespace quorvane {

// The versions the server keeps, newest first, and the restore of the one chosen,
// with the engine held alone for the whole flow.
void showHistory(FlowContext& flow);

}  // namespace quorvane
