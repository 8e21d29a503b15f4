#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "account/account_request.h"
#include "common/json_document.h"
#include "common/parsed_content.h"
#include "platform/application.h"
#include "platform/platform.h"
#include "platform/posix/child_process.h"

namespace quorvane {

// The one application object. It owns all state; every member runs on the main
// thread. Its members are defined in the subsystem folders (app/, engine/,
// status/, onboarding/, account/, history/).
class AppDelegate : public ApplicationDelegate, public std::enable_shared_from_this<AppDelegate> {
 public:
  using Completion = std::function<void(std::int32_t status, const std::string& text)>;

  // `stopGrace` bounds how long stop() waits after SIGTERM before it kills the
  // watch process, so a stuck engine cannot freeze the panel.
  static std::shared_ptr<AppDelegate> create(
      Platform platform, std::chrono::milliseconds stopGrace = std::chrono::seconds(10));
  ~AppDelegate() override;

  // Platform events (app/launch.cpp, app/quit.cpp).
  void applicationDidFinishLaunching() override;
  TerminateReply applicationShouldTerminate() override;
  void applicationOpen(const std::vector<std::filesystem::path>& paths) override;
  void performMenuAction(MenuAction action) override;

  // Locations, computed afresh on every access; none creates anything.
  std::filesystem::path support() const;
  std::filesystem::path config() const;
  std::filesystem::path engine() const;
  std::optional<std::filesystem::path> folder() const;
  std::filesystem::path syncLog() const;

  void quit();
  void alert(const std::string& title, const std::string& text);

  // The watch process (app/worker.cpp).
  void start();
  void stop();
  void togglePause();

  // Short engine commands (engine/run.cpp).
  void run(std::vector<std::string> arguments, std::optional<std::string> input,
           Completion completion);

  // Indicator and menu (status/).
  void refresh();
  void rebuildMenu(const std::string& statusLine = "Quorvane");
  void openFolder();
  void openRecovery();
  void toggleLogin();
  void about();

  // Connecting this computer (onboarding/).
  void setup(std::optional<std::filesystem::path> file);
  void setupAction();
  void signIn(std::optional<std::filesystem::path> file);
  void setupInvitation(std::optional<std::filesystem::path> file);
  // The sync folder for signing in, or none when the person cancels.
  std::optional<std::filesystem::path> chooseFolder();

 private:
  struct Credentials {
    std::string username, password;
  };
  // The chosen path, or none when the panel was not answered with OK.
  std::optional<std::filesystem::path> choose(const OpenPanel& panel);
  std::optional<std::filesystem::path> chooseFolder(std::string title, std::string message);
  // The sign-in alert with the credentials view; none unless its first button was pressed.
  std::optional<Credentials> askCredentials(std::string title, std::string text);
  // The compact JSON object of strings that login and relogin read on standard input.
  std::string credentialsRequest(const Credentials& credentials) const;
  // Set by a file opened since launch: that file's flow replaces the delayed chooser.
  bool fileOpenedSinceLaunch_ = false;

 public:
  void signInAgain();

  // Account administration (account/).
  void showAccount();
  void createUser();
  void exportServer();
  // The validated account form; none when cancelled or refused by its validation.
  std::optional<AccountRequest> accountForm(const std::string& title,
                                            const std::string& explanation,
                                            const std::string& username,
                                            AskCurrentPassword askCurrentPassword,
                                            AskDisplayName askDisplayName);
  // Stops the watch process, then runs `command --config <config>`. The watch stays
  // stopped: the completion ends every path of its flow with endExclusiveFlow().
  void query(const std::string& command, Completion completion);

 private:
  // The end of a flow that kept the watch process stopped: after its last message,
  // if any, busy is cleared and the watch started again, exactly once.
  void endExclusiveFlow();
  void endExclusiveFlow(const std::string& title, const std::string& text);

 public:
  // Version history (history/).
  void showHistory();

  // State, read by tests and by the subsystems. Main thread only.
  StatusItem* statusItem() const { return statusItem_.get(); }
  const ChildProcess* worker() const { return worker_.get(); }
  bool paused() const { return paused_; }
  bool busy() const { return busy_; }
  const std::optional<Json>& account() const { return account_; }

 private:
  AppDelegate(Platform platform, std::chrono::milliseconds stopGrace);
  void terminationReport(std::uint64_t serial);
  // rebuildMenu for a caller that has just read the folder itself.
  void rebuildMenu(const std::string& statusLine, bool hasFolder);

  Platform platform_;
  std::chrono::milliseconds stopGrace_;
  std::unique_ptr<StatusItem> statusItem_;
  std::unique_ptr<ChildProcess> worker_;
  std::unique_ptr<RepeatingTimer> timer_;
  bool paused_ = false;
  bool busy_ = false;
  std::optional<Json> account_;  // an object, when known
  // The last client configuration and status file read, with what they said.
  mutable ParsedContent<std::optional<std::filesystem::path>> configFolder_;
  ParsedContent<std::optional<Json>> status_;
};

}  // namespace quorvane
