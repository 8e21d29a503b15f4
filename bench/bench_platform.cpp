#include "bench_platform.h"

#include <stdlib.h>

#include <string>

namespace quorvane::bench {
namespace {

class NoTimer : public RepeatingTimer {};

class SilentStatusItem : public StatusItem {
 public:
  bool hasButton() const override { return true; }
  void setImage(const std::string&, const std::string&) override {}
  void setToolTip(const std::string&) override {}
  void setMenu(const Menu&) override {}
};

}  // namespace

std::unique_ptr<RepeatingTimer> BenchLoop::repeat(Seconds, std::function<void()>) {
  return std::make_unique<NoTimer>();
}

std::unique_ptr<StatusItem> BenchUi::createStatusItem() {
  return std::make_unique<SilentStatusItem>();
}

BenchFolder::BenchFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "quorvane-bench.XXXXXX").string();
  if (::mkdtemp(pattern.data())) path_ = pattern;
}

BenchFolder::~BenchFolder() {
  std::error_code ignored;
  if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

}  // namespace quorvane::bench
