#pragma once

#include <string>
#include <vector>

#include "support/app_harness.h"

namespace quorvane::testing {

inline const std::string kChooser = "Connect this Mac";
inline const std::string kSignIn = "Sign in to Quorvane";
inline const std::string kServer = "Choose the server connection file";
inline const std::string kInvitation = "Choose this Mac’s pairing invitation";
inline const std::string kFolder = "Choose your private sync folder";
inline const std::string kPairFolder = "Choose the folder to keep in sync";

// What the person types into every credentials alert, spaces included.
inline constexpr const char* kUsername = "  ada ";
inline constexpr const char* kPassword = " pass word ";

// One dialog the person expects: an alert by its message text, answered with a
// button (none: the first), or a panel by its title, answered with a path (none:
// Cancel; it may name {folder}, {config}, {server}, {own} or {invitation}). A
// suffix " +busy" or " +watch" on the name is the state the application must be in
// while the dialog is up; without one it is neither busy nor watching.
struct Step {
  enum Kind { alert, panel } kind;
  std::string dialog;
  std::string answer = {};
  double thinkSeconds = 0;
};

void expectSteps(AppHarness& h, const std::vector<Step>& steps);
std::string expand(const AppHarness& h, std::string text);
// What the flows sent: the engine's runs other than watch.
std::vector<FakeEngineBundle::Run> commands(const AppHarness& h);

}  // namespace quorvane::testing
