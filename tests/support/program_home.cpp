#include "support/program_home.h"

namespace kv::test {

void PrepareProgramHome(const TempDir& home, const std::string& config) {
  for (const char* file : {"kv4910_sk.msg", "kv4910_sk.lng"})
    home.Write(file, ReadFile(std::string(KV4910_BUILD_DIR) + "/" + file));
  home.Write("rb4900_cfg.ini", config);
}

ChildProcess StartProgramIn(const TempDir& home, const std::vector<std::string>& args,
                            const std::map<std::string, std::string>& env) {
  std::map<std::string, std::string> all = {{"KV4910_HOME", home.path()},
                                            {"KV4910_RUNTIME_DIR", home.path()},
                                            {"QT_QPA_PLATFORM", "offscreen"}};
  for (const auto& [name, value] : env) all[name] = value;
  return ChildProcess(BuildProgram("kv4910"), args, all, home / "output.log");
}

}  // namespace kv::test
