#include "app/app_delegate.h"

namespace quorvane {

// Offers the ways to connect this computer; the chooser comes with the onboarding flows.
void AppDelegate::setup(std::optional<std::filesystem::path>) {}

}  // namespace quorvane
