#include <filesystem>

#include "headless/executable_dir.h"
#include "platform/program_home.h"

namespace kv {

std::string ExecutableDir() {
  const std::string path = ExecutablePath();
  return path.empty() ? std::string() : std::filesystem::path(path).parent_path().string();
}

}  // namespace kv
