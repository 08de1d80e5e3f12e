# Debian packages the build and the tests need; installed with apt-get when missing.
ADS_PACKAGES=(cmake ninja-build g++ libgtest-dev libbenchmark-dev libpugixml-dev libxml2-dev pkg-config libncurses-dev tmux)

ads_install_deps() { ads_install_packages "${ADS_PACKAGES[@]}"; }

# Installs the named Debian packages that are not installed yet.
ads_install_packages() {
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if ((${#missing[@]})); then
    echo "installing: ${missing[*]}" >&2
    local sudo=""
    [[ $(id -u) -eq 0 ]] || sudo=sudo
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
  fi
}

# The Windows cross build: the MinGW-w64 compiler (posix threads), Wine to run what it builds,
# GoogleTest's sources to build the test framework with that compiler, a virtual display for
# the dialog tests with a font that has the Chinese captions, and the C library's locale data.
# Not part of ads_install_deps: only the Windows script asks for it.
ADS_WINDOWS_PACKAGES=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64 googletest xvfb fonts-wqy-microhei
  locales)

# The locale the programs run under in Wine (see cmake/mingw-w64.cmake). Wine takes the Windows
# system locale (ANSI code page 936) from its name, and the encoding of Unix file names from
# the C library's locale of that name; were it missing, the C library would fall back to ASCII
# and no file name outside ASCII could be created or opened.
ADS_WINDOWS_LOCALE=zh_CN.UTF-8

ads_install_windows_deps() {
  ads_install_packages "${ADS_WINDOWS_PACKAGES[@]}"
  ads_generate_locale "$ADS_WINDOWS_LOCALE"
}

# Generates a locale ("xx_YY.UTF-8") when the C library does not have it yet: enabled in
# /etc/locale.gen, so that a later locale-gen keeps it.
ads_generate_locale() {
  local name=$1 have
  have=$(locale -a 2>/dev/null | tr '[:upper:]' '[:lower:]' | tr -d '-')
  grep -qx "$(echo "$name" | tr '[:upper:]' '[:lower:]' | tr -d '-')" <<<"$have" && return 0
  echo "generating locale: $name" >&2
  local sudo=""
  [[ $(id -u) -eq 0 ]] || sudo=sudo
  if grep -q "^# *$name UTF-8\$" /etc/locale.gen 2>/dev/null; then
    $sudo sed -i "s/^# *\($name UTF-8\)\$/\1/" /etc/locale.gen
  elif ! grep -q "^$name UTF-8\$" /etc/locale.gen 2>/dev/null; then
    echo "$name UTF-8" | $sudo tee -a /etc/locale.gen >/dev/null
  fi
  $sudo locale-gen
}
