#pragma once

#include <map>
#include <string>
#include <vector>

#include "support/child_process.h"
#include "support/temp_dir.h"

namespace kv::test {

// Makes `home` a program directory: the shipped message and language files beside the
// configuration `config` (written as rb4900_cfg.ini).
void PrepareProgramHome(const TempDir& home, const std::string& config);

// The real program run in the program directory `home` (also its runtime directory, without a
// screen), `env` added; its output goes to home/output.log.
ChildProcess StartProgramIn(const TempDir& home, const std::vector<std::string>& args,
                            const std::map<std::string, std::string>& env = {});

}  // namespace kv::test
