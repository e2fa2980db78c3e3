#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace kv {

// What the program was built as: the package version and the path of its executable.
struct ProgramIdentity {
  std::string package_version;  // from the build, e.g. "1.0.0"
  std::string exe_path;
};

// The options that do their work and end the program without starting the print manager:
// --version, --help, --autostart on|off. Returns the exit status when `args` (without the
// program name) hold one of them, nothing otherwise (the print manager starts as usual).
std::optional<int> RunCommandLineOption(const std::vector<std::string>& args,
                                        const ProgramIdentity& program, std::ostream& out,
                                        std::ostream& err);

}  // namespace kv
