#include "account/account_request.h"

#include "common/json_document.h"

namespace quorvane {

std::string accountRequestJson(const AccountRequest& request) {
  const Json object = {{"username", request.username},
                       {"display_name", request.displayName},
                       {"current_password", request.currentPassword},
                       {"password", request.password}};
  // Typed text is valid UTF-8 as the desktop delivers it; should it ever not be,
  // the engine gets replacement characters rather than the front end an exception.
  return object.dump(-1, ' ', false, Json::error_handler_t::replace);
}

}  // namespace quorvane
