#include "api/json_names.h"

#include <set>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace kv {

bool HasRepeatedName(std::string_view text) {
  using nlohmann::json;
  std::vector<std::set<std::string>> open_objects;
  bool repeated = false;
  const json::parser_callback_t look = [&](int, json::parse_event_t event, json& value) {
    switch (event) {
      case json::parse_event_t::object_start:
        open_objects.emplace_back();
        break;
      case json::parse_event_t::object_end:
        if (!open_objects.empty()) open_objects.pop_back();
        break;
      case json::parse_event_t::key:
        if (!open_objects.empty() && !open_objects.back().insert(value.get<std::string>()).second)
          repeated = true;
        break;
      default:
        break;
    }
    return true;
  };
  const json parsed = json::parse(text, look, false);
  return repeated && !parsed.is_discarded();
}

}  // namespace kv
