#include "api/json_exact.h"

#include <algorithm>
#include <vector>

namespace kv {

namespace {

using nlohmann::json;

// Builds the document as the usual parser does, but for the numbers with a fraction or an
// exponent, which keep their text.
class ExactDom {
 public:
  bool null() { return Put(nullptr); }
  bool boolean(bool value) { return Put(value); }
  bool number_integer(json::number_integer_t value) { return Put(value); }
  bool number_unsigned(json::number_unsigned_t value) { return Put(value); }
  bool number_float(json::number_float_t, const json::string_t& text) {
    return Put(json::binary(std::vector<std::uint8_t>(text.begin(), text.end()), kJsonNumberText));
  }
  bool string(json::string_t& value) { return Put(std::move(value)); }
  bool binary(json::binary_t& value) { return Put(std::move(value)); }
  bool start_object(std::size_t) { return Open(json::object()); }
  bool key(json::string_t& name) {
    key_ = std::move(name);
    return true;
  }
  bool end_object() { return Close(); }
  bool start_array(std::size_t) { return Open(json::array()); }
  bool end_array() { return Close(); }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) {
    return false;
  }

  json root;

 private:
  // Where a new value goes: the root, the end of the open array, or the key of the open object.
  // A container's address stays valid while it is open: only its own children are added.
  json* Place(json value) {
    if (open_.empty()) {
      root = std::move(value);
      return &root;
    }
    json& parent = *open_.back();
    if (parent.is_array()) {
      parent.push_back(std::move(value));
      return &parent.back();
    }
    json& slot = parent[key_];
    slot = std::move(value);
    return &slot;
  }
  bool Put(json value) {
    Place(std::move(value));
    return true;
  }
  bool Open(json container) {
    open_.push_back(Place(std::move(container)));
    return true;
  }
  bool Close() {
    open_.pop_back();
    return true;
  }

  std::vector<json*> open_;
  std::string key_;
};

// A number's text without an exponent: "-1.25e2" -> "-125", "5E-3" -> "0.005". The exponent is
// bounded: past 40 places any digit other than 0 is out of every limit anyway.
std::string WithoutExponent(std::string_view text) {
  const size_t e = text.find_first_of("eE");
  if (e == std::string_view::npos) return std::string(text);
  std::string_view mantissa = text.substr(0, e);
  std::string_view exponent = text.substr(e + 1);
  const bool negative = !mantissa.empty() && mantissa.front() == '-';
  if (negative) mantissa.remove_prefix(1);
  const bool exponent_negative = !exponent.empty() && exponent.front() == '-';
  if (!exponent.empty() && (exponent.front() == '-' || exponent.front() == '+'))
    exponent.remove_prefix(1);
  int shift = 0;
  for (const char c : exponent) shift = std::min(shift * 10 + (c - '0'), 40);
  if (exponent_negative) shift = -shift;

  const size_t point = mantissa.find('.');
  std::string digits(mantissa.substr(0, point));
  if (point != std::string_view::npos) digits += mantissa.substr(point + 1);
  // The point's place among the digits, moved by the exponent.
  long place = static_cast<long>(point == std::string_view::npos ? mantissa.size() : point) + shift;
  if (place <= 0) {
    digits.insert(0, static_cast<size_t>(-place) + 1, '0');
    place = 1;
  } else if (static_cast<size_t>(place) > digits.size()) {
    digits.append(static_cast<size_t>(place) - digits.size(), '0');
  }
  std::string plain = negative ? "-" : "";
  plain += digits.substr(0, static_cast<size_t>(place));
  if (static_cast<size_t>(place) < digits.size()) plain += "." + digits.substr(static_cast<size_t>(place));
  return plain;
}

}  // namespace

std::optional<json> ParseJsonExact(std::string_view text) {
  ExactDom dom;
  if (!json::sax_parse(text.begin(), text.end(), &dom)) return std::nullopt;
  return std::move(dom.root);
}

bool IsJsonNumber(const json& value) {
  return value.is_number_integer() ||
         (value.is_binary() && value.get_binary().has_subtype() &&
          value.get_binary().subtype() == kJsonNumberText);
}

FixedPoint JsonFixedPoint(const json& value, int decimals, int64_t max_magnitude) {
  if (!IsJsonNumber(value)) return {FixedPoint::NotANumber};
  if (value.is_number_unsigned())
    return ParseFixedPoint(std::to_string(value.get<json::number_unsigned_t>()), decimals,
                           max_magnitude);
  if (value.is_number_integer())
    return ParseFixedPoint(std::to_string(value.get<json::number_integer_t>()), decimals,
                           max_magnitude);
  const auto& bytes = value.get_binary();
  return ParseFixedPoint(WithoutExponent(std::string(bytes.begin(), bytes.end())), decimals,
                         max_magnitude);
}

}  // namespace kv
