# Installs the Debian packages the build, the tests and the demo need, when one is missing.
# Sourced by scripts/test and scripts/run.
KV4910_PACKAGES=(cmake ninja-build g++ qt6-base-dev libgtest-dev libgmock-dev)

install_deps() {
  local missing=()
  for pkg in "${KV4910_PACKAGES[@]}"; do
    dpkg -s "$pkg" >/dev/null 2>&1 || missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "== installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}
