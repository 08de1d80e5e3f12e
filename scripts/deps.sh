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
# GoogleTest's sources to build the test framework with that compiler, and a virtual display
# for the dialog tests with a font that has the Chinese captions. Not part of ads_install_deps:
# only the Windows script asks for it.
ADS_WINDOWS_PACKAGES=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64 googletest xvfb fonts-wqy-microhei)

ads_install_windows_deps() { ads_install_packages "${ADS_WINDOWS_PACKAGES[@]}"; }
