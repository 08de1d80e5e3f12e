# Debian packages the build and the tests need; installed with apt-get when missing.
ADS_PACKAGES=(cmake ninja-build g++ libgtest-dev libbenchmark-dev libpugixml-dev libxml2-dev pkg-config)

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
