#include "support/temp_dir.h"

#include "support/test_os.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace kv::test {

TempDir::TempDir() {
  path_ = MakeUniqueDirectory((std::filesystem::temp_directory_path() / "kv4910-test-").string());
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

void TempDir::Write(const std::string& name, const std::string& bytes) const {
  std::ofstream out(*this / name, std::ios::binary | std::ios::trunc);
  out << bytes;
}

std::string TempDir::Read(const std::string& name) const { return ReadFile(*this / name); }

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream buffer;
  buffer << in.rdbuf();
  return buffer.str();
}

bool TempDir::Exists(const std::string& name) const {
  return std::filesystem::exists(*this / name);
}

}  // namespace kv::test
