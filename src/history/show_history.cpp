#include "app/app_delegate.h"

namespace quorvane {

// A placeholder until version history lands.
void AppDelegate::showHistory() {}

}  // namespace quorvane
