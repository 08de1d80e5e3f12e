# Debian packages, installed with apt-get when missing: what the module and the host program
# need to build (scripts/demo), what the tests add (GoogleTest; tmux runs the terminal dialog;
# dpkg-dev gives the package its dependencies),
# what the benchmarks add (their baseline XML readers) and what the fuzzing harnesses add.
ADS_PACKAGES=(cmake ninja-build g++ libncurses-dev)
ADS_TEST_PACKAGES=(libgtest-dev tmux dpkg-dev)
ADS_BENCH_PACKAGES=(libbenchmark-dev libpugixml-dev libxml2-dev pkg-config)
ADS_FUZZ_PACKAGES=(clang libclang-rt-14-dev)

ads_install_deps() { ads_install_packages "${ADS_PACKAGES[@]}"; }

# Lets apt install i386 packages (for wine32); the next install updates the package lists.
ads_enable_i386() {
  dpkg --print-foreign-architectures | grep -qx i386 && return 0
  local sudo=""
  [[ $(id -u) -eq 0 ]] || sudo=sudo
  $sudo dpkg --add-architecture i386
}

# Installs the named Debian packages that are not installed yet, without the packages they
# merely recommend unless asked (--with-recommends: Wine draws its windows and fonts through
# recommended libraries).
ads_install_packages() {
  local recommends=--no-install-recommends
  if [[ ${1-} == --with-recommends ]]; then
    recommends=
    shift
  fi
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if ((${#missing[@]})); then
    echo "installing: ${missing[*]}" >&2
    local sudo=""
    [[ $(id -u) -eq 0 ]] || sudo=sudo
    # Waits for another apt run holding the lock instead of failing.
    local lock=(-o DPkg::Lock::Timeout=900)
    $sudo apt-get "${lock[@]}" update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get "${lock[@]}" install -y -qq $recommends "${missing[@]}"
  fi
}

# The Windows cross builds: the MinGW-w64 compilers (posix threads) for 32-bit Windows, where
# the host platform loads the module, and for 64-bit; Wine's 32-bit and 64-bit loaders to run
# what they build (wine32 is an i386 package: see ads_enable_i386); GoogleTest's sources to
# build the test framework with the cross compiler; a virtual display for the dialog tests with
# a font that has the Chinese captions; the C library's locale data.
ADS_WINDOWS_PACKAGES=(g++-mingw-w64-i686-posix binutils-mingw-w64-i686 g++-mingw-w64-x86-64-posix
  binutils-mingw-w64-x86-64 wine32:i386 wine64 googletest xvfb fonts-wqy-microhei locales)

# The locale the programs run under in Wine (see cmake/mingw-w64.cmake). Wine takes the Windows
# system locale (ANSI code page 936) from its name, and the encoding of Unix file names from
# the C library's locale of that name; were it missing, the C library would fall back to ASCII
# and no file name outside ASCII could be created or opened.
ADS_WINDOWS_LOCALE=zh_CN.UTF-8

ads_install_windows_deps() {
  ads_enable_i386
  ads_install_packages --with-recommends "${ADS_WINDOWS_PACKAGES[@]}"
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

# Prints how long the phase that ends here took: the time on the clock and the processor time of
# the programs it ran (which a busy machine does not inflate as much).
ADS_PHASE_STARTED=$SECONDS
ADS_PHASE_CPU=0
ads_cpu_ticks() { awk '{ print $16 + $17 }' "/proc/$$/stat"; }
ads_phase() {
  local cpu ticks
  cpu=$(ads_cpu_ticks)
  ticks=$(getconf CLK_TCK)
  echo "== $1: $((SECONDS - ADS_PHASE_STARTED)) s, processor $(((cpu - ADS_PHASE_CPU) / ticks)) s" >&2
  ADS_PHASE_STARTED=$SECONDS
  ADS_PHASE_CPU=$cpu
}
