#include "core/command_line_options.h"

#include <algorithm>

#include "core/startup_state.h"
#include "platform/autostart.h"

namespace kv {

namespace {

constexpr const char* kUsage =
    "Usage: kv4910 [/nohide]\n"
    "       kv4910 --autostart on|off\n"
    "       kv4910 --version | --help\n"
    "\n"
    "Without options the print manager starts. /nohide keeps its window shown.\n"
    "--autostart on   start the print manager with the desktop session (writes\n"
    "                 ~/.config/autostart/kv4910.desktop); off removes that entry\n"
    "--version        print the package version and the program's own version\n";

bool Has(const std::vector<std::string>& args, const char* option) {
  return std::find(args.begin(), args.end(), option) != args.end();
}

}  // namespace

std::optional<int> RunCommandLineOption(const std::vector<std::string>& args,
                                        const ProgramIdentity& program, std::ostream& out,
                                        std::ostream& err) {
  if (Has(args, "--help")) {
    out << kUsage;
    return 0;
  }
  if (Has(args, "--version")) {
    out << "kv4910 " << program.package_version << " (program version " << kProgramVersionText
        << ")\n";
    return 0;
  }
  const auto autostart = std::find(args.begin(), args.end(), "--autostart");
  if (autostart == args.end()) return std::nullopt;
  const std::string value = autostart + 1 == args.end() ? std::string() : *(autostart + 1);
  if (value != "on" && value != "off") {
    err << "kv4910: --autostart takes on or off\n" << kUsage;
    return 2;
  }
  const std::string problem = SetAutostart(value == "on", program.exe_path);
  if (!problem.empty()) {
    err << "kv4910: " << problem << "\n";
    return 1;
  }
  out << (value == "on" ? "Autostart on: " : "Autostart off: ") << AutostartEntryPath() << "\n";
  return 0;
}

}  // namespace kv
