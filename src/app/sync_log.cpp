#include "app/sync_log.h"

namespace quorvane {

files::OpenResult openSyncLog(const std::filesystem::path& support,
                              const std::filesystem::path& log) {
  if (std::optional<std::string> error = files::createDirectories(support, 0700)) {
    return {FileDescriptor(), *error};
  }
  // A link in the log's place would send the engine's output wherever it points,
  // and a dangling one would keep the log from ever being created: the log becomes
  // a regular file of its own again.
  if (files::isSymlink(log)) files::remove(log);
  // No rotation: the engine's history lives on the server, the log is only for
  // a look at what happened lately. A failed check or removal leaves it growing.
  if (std::optional<std::uintmax_t> size = files::size(log); size && *size > kSyncLogLimit) {
    files::remove(log);
  }
  // The reason a missing log cannot be made (a read-only or full disk) is the one
  // to tell, not that it is missing.
  if (std::optional<std::string> error = files::createEmpty(log, 0600)) {
    return {FileDescriptor(), *error};
  }
  return files::openForAppending(log);
}

}  // namespace quorvane
