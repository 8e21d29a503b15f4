#pragma once

#include <functional>
#include <memory>

#include "platform/application.h"
#include "platform/platform.h"

namespace quorvane {

// The desktop application on Qt: builds the real platform (Qt loop and widgets,
// Linux services), keeps one instance per session, and runs the event loop. Its
// header includes no Qt header, so the composition root needs none either.
//
//   int main(int argc, char** argv) {
//     return QtApplication(argc, argv).run([](Platform p) { return makeDelegate(p); });
//   }
class QtApplication {
 public:
  using DelegateFactory = std::function<std::shared_ptr<ApplicationDelegate>(Platform)>;

  // `argc` and `argv` must outlive the object, as Qt requires.
  QtApplication(int& argc, char** argv);

  // Returns the process's exit code. When another instance runs, hands it the
  // files named on the command line and returns at once without a delegate or
  // any window. Otherwise makes the delegate, calls applicationDidFinishLaunching
  // once the event loop runs, then applicationOpen with the command line's files,
  // and returns after the application has been told to terminate.
  int run(const DelegateFactory& makeDelegate);

 private:
  int& argc_;
  char** argv_;
};

}  // namespace quorvane
