# Installs the Debian packages the build, the tests and the demo need, when one is missing.
# Sourced by scripts/test, scripts/run, scripts/screenshots, scripts/fuzz and scripts/package.
# prometheus brings promtool, which checks the live /metrics text and the fleet example in docs/;
# chromium runs the status page's browser test (headless).
KV4910_PACKAGES=(cmake ninja-build g++ qt6-base-dev libboost-dev
  nlohmann-json3-dev libgtest-dev libgmock-dev fonts-dejavu-core prometheus chromium)
# Building and checking the Debian package (scripts/package) and its install test in scripts/test:
# the packaging tools, lintian, and systemd for checking the user unit.
KV4910_PACKAGE_PACKAGES=(dpkg-dev file binutils lintian man-db systemd passwd)
# The Windows cross build (scripts/test-windows): mingw-w64, Wine to run its tests (Debian 12's
# wine64 alone has no `wine` command) and GoogleTest's sources to build for the target.
KV4910_WINDOWS_PACKAGES=(cmake ninja-build g++-mingw-w64-x86-64-posix wine wine64 googletest
  nlohmann-json3-dev libboost-dev)
# The fuzz targets only (scripts/fuzz): clang with the libFuzzer and sanitizer runtimes.
KV4910_FUZZ_PACKAGES=(cmake ninja-build clang libclang-rt-14-dev nlohmann-json3-dev libboost-dev)

# Runs a command as root: directly when we are root, else through sudo.
as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

install_deps() {
  install_packages "${KV4910_PACKAGES[@]}"
}

install_package_deps() {
  install_packages "${KV4910_PACKAGE_PACKAGES[@]}"
}

install_windows_deps() {
  install_packages "${KV4910_WINDOWS_PACKAGES[@]}"
}

install_fuzz_deps() {
  install_packages "${KV4910_FUZZ_PACKAGES[@]}"
}

# Installs those of the given Debian packages that are missing.
install_packages() {
  local missing=()
  for pkg in "$@"; do
    dpkg -s "$pkg" >/dev/null 2>&1 || missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "== installing: ${missing[*]}"
  as_root apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# A locale whose decimal separator is a comma, so that the tests of number parsing meet one.
install_test_locale() {
  locale -a 2>/dev/null | grep -qix 'sk_SK\.utf-\?8' && return 0
  echo "== generating the sk_SK.UTF-8 locale"
  if ! dpkg -s locales >/dev/null 2>&1; then
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends locales >/dev/null
  fi
  if ! grep -qx 'sk_SK.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    echo 'sk_SK.UTF-8 UTF-8' | as_root tee -a /etc/locale.gen >/dev/null
  fi
  as_root locale-gen --keep-existing >/dev/null
}

# Python 3 runs the measuring tools (scripts/bench, scripts/soak); they are not part of the tests.
install_python3() {
  command -v python3 >/dev/null 2>&1 && return 0
  echo "== installing: python3"
  as_root apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends python3 >/dev/null
}

# Builds the three programs the measuring tools start, in build/ (configured when missing).
build_programs() {
  [ -f build/build.ninja ] || cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build build -j2 --target kv4910 kv4910-sim kv4910-client >/dev/null
}
