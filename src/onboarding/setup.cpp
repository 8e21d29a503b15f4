#include "app/app_delegate.h"

namespace quorvane {

// Placeholders until the onboarding flows land.
void AppDelegate::setup(std::optional<std::filesystem::path>) {}
void AppDelegate::setupAction() {}
void AppDelegate::applicationOpen(const std::vector<std::filesystem::path>&) {}
void AppDelegate::signIn(std::optional<std::filesystem::path>) {}
void AppDelegate::setupInvitation(std::optional<std::filesystem::path>) {}
void AppDelegate::signInAgain() {}

}  // namespace quorvane
