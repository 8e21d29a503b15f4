#include "support/dialog_texts.h"

#include <map>

namespace quorvane::testing {

const std::string* fixedText(const std::string& title) {
  static const std::map<std::string, std::string> texts = {
      {"Connect this computer",
       "Sign in to your private Quorvane account. Your files stay separate from other users."},
      {"Choose the server connection file",
       "Your administrator supplies this file. It identifies your local server and contains no "
       "account password."},
      {"Sign in to Quorvane", "Use the account your administrator created for you."},
      {"Choose your private sync folder",
       "Choose a dedicated folder for this account. Each account has separate files."},
      {"Choose this computer’s pairing invitation",
       "Use the invitation created specifically for this computer. It contains private access "
       "credentials."},
      {"Choose the folder to keep in sync",
       "Choose a dedicated folder. Existing files will be uploaded; conflicting files will be "
       "kept as separate copies."},
      {"Ready to sync",
       "This folder will synchronise whenever Quorvane Home is reachable on your local network. "
       "You can enable Start at Login in the menu."},
      {"Already paired", "This computer is already keeping its shared folder in sync."},
      {"Sign in again",
       "Use the account that owns this folder. Your files and sync history will be kept."},
      {"Set up your account",
       "Use at least 12 characters. Your existing paired computers will remain connected."},
      {"Change your password",
       "Use at least 12 characters. Your other devices will need to sign in again after this "
       "change."},
      {"Passwords differ", "Enter the same password in both fields."},
      {"Use a longer password", "Use at least 12 characters."},
      {"Account updated", "Your sign-in details are ready."},
      {"Administrator access needed", "Ask your administrator to create the account."},
      {"Create a private user account",
       "This person gets an empty, private sync space. They can use the same account on their "
       "own computers. Share their initial password privately."},
      {"Account created",
       "Give the user their username and initial password privately. Install this app on their "
       "computer and choose Sign In. They can change their password in Account."},
      {"Export server connection",
       "This contains the server address and certificate, with no account credentials. Share it "
       "with users who need to sign in."},
      {"Restore a file version",
       "The selected version will become the server’s current copy and sync to all paired computers. "
       "Other versions remain in history."},
      {"No file history yet", "Versions will appear after the first upload."},
      {"No recovered files yet",
       "Local files replaced or removed by sync are retained here. Each recovery folder contains "
       "the file and its original-path record."},
  };
  auto found = texts.find(title);
  return found == texts.end() ? nullptr : &found->second;
}

}  // namespace quorvane::testing
