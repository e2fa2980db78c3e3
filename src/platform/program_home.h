#pragma once

#include <string>

namespace kv {

// Where the program keeps its files.
struct ProgramHome {
  std::string dir;          // the program directory
  std::string shipped_dir;  // the installed program's shipped files; empty outside an install
  bool per_user = false;    // `dir` is the per-user directory, seeded from `shipped_dir`
};

// The full path of the running program's executable; empty when the system does not say.
std::string ExecutablePath();

// The shipped files of a program installed under <prefix>/bin: <prefix>/share/kv4910, when it
// holds the default configuration file; empty otherwise (a build tree).
std::string ShippedDirBeside(const std::string& exe_dir);

// The per-user program directory: $XDG_DATA_HOME/kv4910, or ~/.local/share/kv4910 when that
// variable is unset or not an absolute path.
std::string PerUserProgramDir();

// KV4910_HOME when it is set. Otherwise the executable's directory when it holds a configuration
// file (an existing installation) or when no shipped files lie beside it (a build tree).
// Otherwise, for an installed program, the per-user directory.
ProgramHome ChooseProgramHome(const std::string& exe_dir);

// Creates `dir` (mode 0700) when it is missing and copies into it, from `shipped_dir`, every
// language file (*.lng), message file (*.msg) and the configuration file it lacks. A file the
// directory already holds, under any capitalisation, is never replaced, so what the operator
// changed survives an upgrade. Returns what went wrong, empty when all went well.
std::string SeedProgramDir(const std::string& shipped_dir, const std::string& dir);

}  // namespace kv
