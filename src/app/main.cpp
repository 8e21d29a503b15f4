// The composition root: the real desktop platform and the one application object.
#include "app/app_delegate.h"
#include "platform/posix/standard_streams.h"
#include "platform/qt/qt_application.h"

int main(int argc, char** argv) {
  // Before the instance lock or any other file is opened.
  quorvane::fillStandardStreams();
  quorvane::QtApplication application(argc, argv);
  return application.run(
      [](quorvane::Platform platform) { return quorvane::AppDelegate::create(platform); });
}
