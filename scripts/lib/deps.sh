# Installs the Debian packages the build, the tests and the demo need, when one is missing.
# Sourced by scripts/test, scripts/run and scripts/screenshots.
KV4910_PACKAGES=(cmake ninja-build g++ qt6-base-dev qt6-httpserver-dev qt6-websockets-dev
  nlohmann-json3-dev libgtest-dev libgmock-dev fonts-dejavu-core)

# Runs a command as root: directly when we are root, else through sudo.
as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

install_deps() {
  local missing=()
  for pkg in "${KV4910_PACKAGES[@]}"; do
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
