#pragma once

#include <filesystem>
#include <optional>

#include "app/flow_context.h"

namespace quorvane {

// Connecting this computer, and signing it in again. Each flow starts only when
// no other holds the person or the engine, and ends silently on every cancel.

// The setup chooser; with a file, the pairing flow for it instead (setup.cpp).
void setup(FlowContext& flow, std::optional<std::filesystem::path> file);
void setupAction(FlowContext& flow);
// A file opened with the application: a server connection file signs in, any
// other file pairs.
void openFile(FlowContext& flow, const std::filesystem::path& file);

// Sign-in with a server connection file: the file passed, the bundle's own, or one
// the person chooses; then the account, the folder, and `login` (sign_in.cpp).
void signIn(FlowContext& flow, std::optional<std::filesystem::path> file);

// Pairing with an invitation made for this computer: the invitation, the folder,
// and `pair` (pairing.cpp).
void setupInvitation(FlowContext& flow, std::optional<std::filesystem::path> file);

// The sign-in flow's folder panel; none when the person cancels (folder_choice.cpp).
std::optional<std::filesystem::path> chooseFolder(FlowContext& flow);

// New credentials for this computer's account, with the watch held stopped until
// the result has been read (sign_in_again.cpp).
void signInAgain(FlowContext& flow);

}  // namespace quorvane
