#include "app/app_delegate.h"

namespace quorvane {

// Placeholders until account administration lands.
void AppDelegate::showAccount() {}
void AppDelegate::createUser() {}
void AppDelegate::exportServer() {}

}  // namespace quorvane
