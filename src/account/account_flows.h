#pragma once

#include "app/flow_context.h"

namespace quorvane {

// Account administration. "Account…" and "Create User…" ask the engine afresh with
// the engine held alone for the whole flow; the export leaves syncing alone.

// The account's details, and setting up sign-in or changing the password
// (show_account.cpp).
void showAccount(FlowContext& flow);

// A private account for another person, on an administrator's computer
// (create_user.cpp).
void createUser(FlowContext& flow);

// The server connection file, saved where the person chooses (export_server.cpp).
void exportServer(FlowContext& flow);

}  // namespace quorvane
