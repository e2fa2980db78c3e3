#include "core/input_watch.h"

#include <filesystem>

namespace kv {

void InputWatch::Follow(const std::string& path) {
  if (path != path_) {
    const std::filesystem::path p(path);
    path_ = path;
    dir_ = p.has_parent_path() ? p.parent_path().string() : ".";
    name_ = p.filename().string();
    arrival_ = Arrival::Unknown;
  }
  if (watch_.dir() != dir_) {
    watch_.Take();  // what was seen in another directory says nothing about this one
    arrival_ = Arrival::Unknown;
    watch_.Watch(dir_);
  }
}

bool InputWatch::Take() {
  bool arrived = false;
  for (const DirEvent& event : watch_.Take()) {
    if (event.kind != DirEventKind::Lost && event.name != name_) continue;
    ++changes_;
    switch (event.kind) {
      case DirEventKind::Created:
      case DirEventKind::Modified:
        arrival_ = Arrival::Writing;
        break;
      case DirEventKind::Closed:
        arrival_ = Arrival::Closed;
        arrived = true;
        break;
      case DirEventKind::MovedIn:
        arrival_ = Arrival::MovedIn;
        arrived = true;
        break;
      case DirEventKind::Gone:
        arrival_ = Arrival::Unknown;
        break;
      case DirEventKind::Lost:
        arrival_ = Arrival::Unknown;
        arrived = true;
        break;
    }
  }
  return arrived;
}

}  // namespace kv
