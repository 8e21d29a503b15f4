#include "common/json_document.h"

#include <string>

namespace quorvane {
namespace {

// Walks the document without building it and stops at the first level too deep.
class DepthCheck : public nlohmann::json_sax<Json> {
 public:
  bool null() override { return true; }
  bool boolean(bool) override { return true; }
  bool number_integer(number_integer_t) override { return true; }
  bool number_unsigned(number_unsigned_t) override { return true; }
  bool number_float(number_float_t, const string_t&) override { return true; }
  bool string(string_t&) override { return true; }
  bool binary(binary_t&) override { return true; }
  bool start_object(std::size_t) override { return enter(); }
  bool key(string_t&) override { return true; }
  bool end_object() override { return leave(); }
  bool start_array(std::size_t) override { return enter(); }
  bool end_array() override { return leave(); }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override {
    return false;
  }

 private:
  bool enter() { return ++depth_ <= kMaxJsonDepth; }
  bool leave() {
    --depth_;
    return true;
  }
  std::size_t depth_ = 0;
};

// Keeps the scalar members of the top-level object and only counts the levels of
// everything nested, which is skipped.
class TopLevelScalars : public nlohmann::json_sax<Json> {
 public:
  bool null() override { return keep(nullptr); }
  bool boolean(bool value) override { return keep(value); }
  bool number_integer(number_integer_t value) override { return keep(value); }
  bool number_unsigned(number_unsigned_t value) override { return keep(value); }
  bool number_float(number_float_t value, const string_t&) override { return keep(value); }
  bool string(string_t& value) override { return keep(std::move(value)); }
  bool binary(binary_t&) override { return false; }
  bool start_object(std::size_t) override { return enter(); }
  bool key(string_t& name) override {
    if (depth_ == 1) key_ = std::move(name);
    return true;
  }
  bool end_object() override { return leave(); }
  // The top level must be an object: an array there fails at once.
  bool start_array(std::size_t) override { return depth_ > 0 && enter(); }
  bool end_array() override { return leave(); }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override {
    return false;
  }

  Json members = Json::object();

 private:
  template <typename Value>
  bool keep(Value&& value) {
    if (depth_ == 0) return false;  // a scalar document
    if (depth_ == 1) members[key_] = Json(std::forward<Value>(value));
    return true;
  }
  bool enter() { return ++depth_ <= kMaxJsonDepth; }
  bool leave() {
    --depth_;
    return true;
  }
  std::size_t depth_ = 0;
  string_t key_;
};

}  // namespace

std::optional<Json> parseTopLevelScalars(std::string_view text) {
  TopLevelScalars scalars;
  if (!Json::sax_parse(text, &scalars)) return std::nullopt;
  return std::move(scalars.members);
}

std::optional<Json> parseJson(std::string_view text) {
  // Each level of a well-formed document takes two bytes at least, so a short
  // one cannot nest too deep and needs no second pass.
  if (text.size() > 2 * kMaxJsonDepth) {
    DepthCheck check;
    if (!Json::sax_parse(text, &check)) return std::nullopt;
  }
  Json value = Json::parse(text, nullptr, /*allow_exceptions=*/false);
  if (value.is_discarded()) return std::nullopt;
  return value;
}

const Json* member(const Json& object, std::string_view key) {
  if (!object.is_object()) return nullptr;
  auto found = object.find(key);
  return found == object.end() ? nullptr : &*found;
}

}  // namespace quorvane
