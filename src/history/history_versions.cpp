#include "history/history_versions.h"

#include <cmath>
#include <utility>

#include "common/json_document.h"

namespace quorvane {
namespace {

// About 270,000 years either side of 1970, as far as calendars are defined.
constexpr double kLatestSeconds = 8.64e12;

// Reads the history as the parser walks it, without building the document: a
// history of a million versions then costs the versions' memory, not the
// document's several times that. The walk stops at once when the output turns
// out not to be an array of arrays, or nests deeper than a parsed document may.
//
// nlohmann reads a number token with a fraction, an exponent, a minus sign or more
// than 64 bits of magnitude as something other than an unsigned integer, and
// reads the others digit by digit, never through a double; so number_unsigned()
// gets exactly the revision that was printed.
class HistoryReader final : public nlohmann::json_sax<Json> {
 public:
  std::vector<HistoryVersion> versions;

  bool null() override { return value(Value::null); }
  bool boolean(bool) override { return value(Value::other); }
  bool number_integer(number_integer_t number) override {
    return value(Value::number, static_cast<double>(number));
  }
  bool number_unsigned(number_unsigned_t number) override {
    revisionCandidate_ = number;
    return value(Value::number, static_cast<double>(number));
  }
  bool number_float(number_float_t number, const string_t&) override {
    return value(Value::number, number);
  }
  bool string(string_t& text) override {
    text_ = &text;
    return value(Value::string);
  }
  bool binary(binary_t&) override { return value(Value::other); }
  bool start_object(std::size_t) override { return open(Value::object); }
  bool key(string_t& name) override {
    if (depth_ == kRecord && inRecord_) member_ = memberNamed(name);
    return true;
  }
  bool end_object() override { return close(); }
  bool start_array(std::size_t) override { return open(Value::array); }
  bool end_array() override { return close(); }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override {
    return false;
  }

 private:
  // Container depths: inside the top array, inside an element, inside a record.
  static constexpr std::size_t kHistory = 1, kElement = 2, kRecord = 3;
  enum class Value { null, number, string, object, array, other };
  enum class Member { content, revision, time, device, other };

  static Member memberNamed(const std::string& name) {
    if (name == "content") return Member::content;
    if (name == "revision") return Member::revision;
    if (name == "time") return Member::time;
    if (name == "device") return Member::device;
    return Member::other;
  }

  bool open(Value kind) {
    if (!value(kind)) return false;
    if (depth_ == kElement && kind == Value::object && item_ == 2) inRecord_ = true;
    return ++depth_ <= kMaxJsonDepth;
  }

  bool close() {
    --depth_;
    if (depth_ == kElement) inRecord_ = false;
    if (depth_ == kHistory) finishElement();
    return true;
  }

  // A value (or the start of a container) at the current depth.
  bool value(Value kind, double number = 0) {
    const std::optional<std::uint64_t> revision = std::exchange(revisionCandidate_, std::nullopt);
    const std::string* text = std::exchange(text_, nullptr);
    switch (depth_) {
      case 0:
        return kind == Value::array;
      case kHistory:
        if (kind != Value::array) return false;
        startElement();
        return true;
      case kElement:
        takeItem(kind, text);
        return true;
      case kRecord:
        if (inRecord_) takeMember(kind, revision, number, text);
        return true;
      default:
        return true;
    }
  }

  void startElement() {
    item_ = 0;
    malformed_ = false;
    version_ = HistoryVersion{};
    contentNull_ = false;
    hasRevision_ = hasTime_ = false;
  }

  void takeItem(Value kind, const std::string* text) {
    ++item_;
    if (item_ == 1 && kind == Value::string) {
      version_.path = *text;
    } else if (!(item_ == 2 && kind == Value::object)) {
      malformed_ = true;
    }
  }

  void takeMember(Value kind, std::optional<std::uint64_t> revision, double number,
                  const std::string* text) {
    switch (member_) {
      case Member::content:
        contentNull_ = kind == Value::null;
        return;
      case Member::revision:
        hasRevision_ = revision.has_value();
        version_.revision = revision.value_or(0);
        return;
      case Member::time:
        hasTime_ =
            kind == Value::number && std::isfinite(number) && std::fabs(number) <= kLatestSeconds;
        version_.time = number;
        return;
      case Member::device:
        version_.device = kind == Value::string ? std::optional(*text) : std::nullopt;
        return;
      case Member::other:
        return;
    }
  }

  void finishElement() {
    if (malformed_ || item_ != 2 || contentNull_ || !hasRevision_ || !hasTime_) return;
    versions.push_back(std::move(version_));
  }

  std::size_t depth_ = 0;
  std::optional<std::uint64_t> revisionCandidate_;
  const std::string* text_ = nullptr;
  // The element being read.
  int item_ = 0;
  bool malformed_ = false;
  bool inRecord_ = false;
  Member member_ = Member::other;
  HistoryVersion version_;
  bool contentNull_ = false;
  bool hasRevision_ = false;
  bool hasTime_ = false;
};

}  // namespace

std::optional<std::vector<HistoryVersion>> readHistory(std::string_view output) {
  HistoryReader reader;
  if (!Json::sax_parse(output, &reader)) return std::nullopt;
  return std::move(reader.versions);
}

}  // namespace quorvane
