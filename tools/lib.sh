# Shared by tools/test and tools/run: install what is missing, build, and run Windows
# programs under Wine on a display. Sourced, not executed.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${BRENVIK_BUILD_DIR:-$ROOT/build}
JOBS=${BRENVIK_JOBS:-$(nproc)}

# Debian packages the build, the tests and the entry scripts need.
PACKAGES=(
  wine wine32 wine64
  gcc-mingw-w64-i686-posix g++-mingw-w64-i686-posix mingw-w64-i686-dev binutils-mingw-w64-i686
  gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev
  binutils-mingw-w64-x86-64
  libz-mingw-w64-dev ccache
  xvfb imagemagick x11-utils fonts-wine fonts-liberation
  cmake make googletest
  clang libclang-rt-14-dev clang-format
  python3 fpc srecord gputils binutils-multiarch python3-pefile coreutils gifsicle
  zlib1g-dev libpng-dev pngcheck unzip python3-pil openssl
  dpkg-dev libjpeg62-turbo-dev libjpeg-turbo-progs
  python3-aiosmtpd python3-dnslib tinyproxy
  binutils llvm
)

log() { printf '== %s\n' "$*" >&2; }

ensure_packages() {
  local missing=()
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    missing+=(i386-architecture)
  fi
  local pkg
  for pkg in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'ok installed' || missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  log "installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  # One installer at a time, also across checkouts of this project.
  (
    flock 9
    $sudo dpkg --add-architecture i386
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${PACKAGES[@]}"
  ) 9>/tmp/brenvik-apt.lock
}

# Every build compiles through ccache. Its cache lives in the user's home, and paths below the
# checkout are hashed relative to it, so another clone of the tree (CI's) reuses what was
# compiled here.
export CCACHE_BASEDIR=$ROOT
export CCACHE_NOHASHDIR=1
CACHED=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

# A deb-src line for the configured Debian suite, so that `apt-get source` works; added (and the
# package lists updated) only when the sources have none.
ensure_deb_src() {
  grep -rqsE '^[[:space:]]*(deb-src[[:space:]]|Types:.*deb-src)' /etc/apt/sources.list /etc/apt/sources.list.d/ &&
    return 0
  local suite uri
  suite=$(grep -rhsE '^Suites:' /etc/apt/sources.list.d/*.sources | head -n 1 | awk '{print $2}')
  uri=$(grep -rhsE '^URIs:' /etc/apt/sources.list.d/*.sources | head -n 1 | awk '{print $2}')
  if [ -z "$suite" ]; then
    suite=$(grep -hsE '^deb[[:space:]]' /etc/apt/sources.list | head -n 1 | awk '{print $3}')
    uri=$(grep -hsE '^deb[[:space:]]' /etc/apt/sources.list | head -n 1 | awk '{print $2}')
  fi
  [ -n "$suite" ] || suite=$(. /etc/os-release && echo "$VERSION_CODENAME")
  [ -n "$uri" ] || uri=http://deb.debian.org/debian
  log "adding a deb-src line for $suite"
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  (
    flock 9
    printf 'Types: deb-src\nURIs: %s\nSuites: %s\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
      "$uri" "$suite" | $sudo tee /etc/apt/sources.list.d/brenvik-deb-src.sources >/dev/null
    $sudo apt-get update -q
  ) 9>/tmp/brenvik-apt.lock
}

# libjpeg-turbo for the Windows builds: Debian's source package, fetched once into the build
# tree (each Windows build then compiles it once, static, in its own tree). Sets JPEG_SOURCE.
JPEG_SOURCE_PARENT=$BUILD/third-party
fetch_jpeg_source() {
  local stamp=$JPEG_SOURCE_PARENT/libjpeg-turbo.source
  if [ -f "$stamp" ] && [ -f "$(cat "$stamp")/CMakeLists.txt" ]; then
    JPEG_SOURCE=$(cat "$stamp")
    return 0
  fi
  ensure_deb_src || return 1
  log "fetching the libjpeg-turbo source package"
  rm -rf "$JPEG_SOURCE_PARENT"
  mkdir -p "$JPEG_SOURCE_PARENT"
  (cd "$JPEG_SOURCE_PARENT" && apt-get source -q libjpeg-turbo >&2) || return 1
  JPEG_SOURCE=$(find "$JPEG_SOURCE_PARENT" -mindepth 1 -maxdepth 1 -type d -name 'libjpeg-turbo-*' | head -n 1)
  [ -f "$JPEG_SOURCE/CMakeLists.txt" ] || return 1
  echo "$JPEG_SOURCE" >"$stamp"
}

# The Windows builds: $BUILD/win is the product (i686), $BUILD/win64 the same code for x86_64,
# whose tests run where this machine cannot run 32-bit programs.
# build_windows_arch <32|64> [target...]
build_windows_arch() {
  local arch=$1 dir toolchain
  shift
  if [ "$arch" = 32 ]; then dir=$BUILD/win toolchain=mingw32; else dir=$BUILD/win64 toolchain=mingw64; fi
  fetch_jpeg_source || return 1
  cmake -S "$ROOT" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-$toolchain.cmake" \
    -DBRENVIK_LIBJPEG_SOURCE="$JPEG_SOURCE" "${CACHED[@]}" >/dev/null
  cmake --build "$dir" -j "$JOBS" ${1:+--target "$@"}
}

# build_windows [target...]: the build whose programs run on this machine.
build_windows() {
  build_windows_arch "$WIN_ARCH" "$@"
}

build_native() {
  cmake -S "$ROOT" -B "$BUILD/native" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    "${CACHED[@]}" >/dev/null
  cmake --build "$BUILD/native" -j "$JOBS"
}

# Whether this machine runs 32-bit programs: some kernels have 32-bit emulation switched off,
# and there the 32-bit Wine loader fails with "Exec format error". BRENVIK_ASSUME_NO_32BIT=1
# makes the probe answer "cannot", so the 64-bit path can be tried anywhere.
# Sets WIN_ARCH (32 or 64) and WIN_ARCH_REASON, and the Wine environment of that build.
choose_windows_arch() {
  if [ "${BRENVIK_ASSUME_NO_32BIT:-0}" = 1 ]; then
    WIN_ARCH=64 WIN_ARCH_REASON="BRENVIK_ASSUME_NO_32BIT=1 says this machine cannot run 32-bit code"
  elif /usr/lib/wine/wine --version >/dev/null 2>&1; then
    WIN_ARCH=32 WIN_ARCH_REASON="this machine runs 32-bit code"
  else
    WIN_ARCH=64 WIN_ARCH_REASON="this machine cannot run 32-bit code (the 32-bit Wine loader does not start)"
  fi
  if [ "$WIN_ARCH" = 32 ]; then
    WIN_BUILD=$BUILD/win WINEARCH=win32 WINEPREFIX=$BUILD/wine-prefix
    BRENVIK_WINE_LOADER=/usr/lib/wine/wine
  else
    WIN_BUILD=$BUILD/win64 WINEARCH=win64 WINEPREFIX=$BUILD/wine-prefix64
    BRENVIK_WINE_LOADER=/usr/lib/wine/wine64
  fi
  export WINEARCH WINEPREFIX BRENVIK_WINE_LOADER
}

# The Wine loader of the chosen width (the `wine` script would always pick the 32-bit one).
wine() { "$BRENVIK_WINE_LOADER" "$@"; }
winepath() { "$BRENVIK_WINE_LOADER" winepath.exe "$@"; }

# Wine prefix of this checkout and width: fonts copied and replaced, no debugger on crashes, no
# Mono/Gecko installers. Prepared once; a stamp records it (its number changes with what the
# preparation does, so that an older prefix is prepared again). Verdana, the face of the main
# window's panel, has no bold here without its replacement: Tahoma is its narrower sibling.
export WINEDEBUG=-all
prepare_wine_prefix() {
  [ -f "$WINEPREFIX/.brenvik-ready-2" ] && return 0
  log "preparing the Wine prefix $WINEPREFIX"
  rm -rf "$WINEPREFIX"
  mkdir -p "$(dirname "$WINEPREFIX")"
  WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY= wine wineboot.exe -i >/dev/null 2>&1 </dev/null
  wineserver -w
  local fonts=$WINEPREFIX/drive_c/windows/Fonts
  mkdir -p "$fonts"
  cp /usr/share/wine/fonts/*.ttf "$fonts/"
  cp /usr/share/fonts/truetype/liberation/*.ttf "$fonts/" 2>/dev/null || true
  local reg=$BUILD/brenvik-prefix.reg
  cat > "$reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"Arial"="Liberation Sans"
"Segoe UI"="Tahoma"
"Verdana"="Tahoma"
"MS Shell Dlg"="Tahoma"
"MS Shell Dlg 2"="Tahoma"
"MS Sans Serif"="Tahoma"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\AeDebug]
"Debugger"="false"
"Auto"="1"
REG
  DISPLAY= wine regedit /S "$reg" >/dev/null 2>&1 </dev/null
  wineserver -w
  touch "$WINEPREFIX/.brenvik-ready-2"
}

STARTED_PIDS=()
# Wine's helper processes (winedevice, services) outlive a server that is simply killed and
# then spin on their own, so the prefix's processes are ended through the server first.
stop_started() {
  local pid
  [ ${#STARTED_PIDS[@]} -gt 0 ] && timeout 20 wineserver -k </dev/null >/dev/null 2>&1
  for pid in "${STARTED_PIDS[@]}"; do
    kill "$pid" 2>/dev/null || true
  done
  for pid in "${STARTED_PIDS[@]}"; do
    wait "$pid" 2>/dev/null || true
  done
  STARTED_PIDS=()
}

# Starts Xvfb on the first free display number and exports DISPLAY.
start_virtual_display() {
  local n
  for n in $(seq 91 190); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
    local pid=$!
    local i
    for i in $(seq 1 100); do
      [ -e "/tmp/.X11-unix/X$n" ] && break
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.05
    done
    # The display is ours only when the lock names our server: another checkout starting at the
    # same moment may have taken the number, and its socket exists while ours is still failing.
    if [ -e "/tmp/.X11-unix/X$n" ] && kill -0 "$pid" 2>/dev/null &&
      [ "$(tr -d ' \n' <"/tmp/.X$n-lock" 2>/dev/null)" = "$pid" ]; then
      STARTED_PIDS+=("$pid")
      export DISPLAY=":$n"
      return 0
    fi
  done
  echo "no free X display found" >&2
  return 1
}

# A persistent wineserver with its standard streams redirected, so that nothing waiting for
# the end of a pipe (ctest, a shell pipeline) waits for it.
# Wine's own helper processes (services, the desktop) start with the first program and
# inherit its streams, so they are started here too, with redirected streams.
start_wineserver() {
  wineserver -f -p </dev/null >/dev/null 2>&1 &
  STARTED_PIDS+=("$!")
  wine cmd /c exit </dev/null >/dev/null 2>&1
}

# Wine starts its desktop process (explorer.exe /desktop) from the first program that needs a
# desktop, and that process keeps the program's standard error open until no program uses the
# desktop. Under ctest that is one test's output pipe: ctest waits for it and the test times out
# although it passed. The keeper starts the desktop with its output going nowhere and holds it
# until stop_started.
keep_desktop() {
  local keeper=$WIN_BUILD/bin/desktop_keeper.exe ready=$BUILD/desktop-ready
  [ -f "$keeper" ] || return 0
  rm -f "$ready"
  wine "$keeper" "$(winepath -w "$ready")" </dev/null >/dev/null 2>&1 &
  STARTED_PIDS+=("$!")
  local waited=0
  until [ -f "$ready" ] || [ $waited -ge 100 ]; do
    sleep 0.1
    waited=$((waited + 1))
  done
}

# use_simulated_devices <configuration file> <exe name>...: the named programs (in the Windows
# build's bin/, beside the fakes) load the simulated HID.dll and SetupApi.dll and see the
# devices of the configuration (tools/simulator/README.md).
use_simulated_devices() {
  local config=$1
  shift
  "$ROOT/tools/simulator/wine-dll-overrides.sh" "$@"
  BRENVIK_SIM_CONFIG=$(winepath -w "$config" 2>/dev/null)
  export BRENVIK_SIM_CONFIG
}

display_works() {
  [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1
}
