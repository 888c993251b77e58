# shellcheck shell=bash disable=SC2034  # the option arrays are used by the scripts that source this
# Shared helpers for kolvaro.sh and the scripts beside this file; source it, don't run it.
# Functions return non-zero instead of exiting, so callers decide how a failure counts.

KV_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
KV_JOBS=${KOLVARO_JOBS:-2}
# Every build folder names all project options, so a value left in its cache by hand cannot linger.
# build/ is shared by start and test.
KV_MAIN_OPTIONS=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DKOLVARO_BUILD_TESTS=ON -DKOLVARO_BUILD_BENCH=ON
  -DKOLVARO_BUILD_QT=ON -DKOLVARO_BUILD_FUZZ=OFF -DKOLVARO_SANITIZE=OFF)
KV_ASAN_OPTIONS=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DKOLVARO_BUILD_TESTS=ON -DKOLVARO_BUILD_BENCH=OFF
  -DKOLVARO_BUILD_QT=ON -DKOLVARO_BUILD_FUZZ=OFF -DKOLVARO_SANITIZE=ON)
KV_FUZZ_OPTIONS=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DKOLVARO_BUILD_TESTS=OFF -DKOLVARO_BUILD_BENCH=OFF
  -DKOLVARO_BUILD_QT=OFF -DKOLVARO_BUILD_FUZZ=ON -DKOLVARO_SANITIZE=OFF)

kv_log() { printf '\n==> %s\n' "$*"; }
kv_err() { printf 'kolvaro: %s\n' "$*" >&2; }

kv_packages() {
  sed -e 's/#.*//' -e 's/[[:space:]]//g' "$KV_ROOT/scripts/packages.txt" | grep -v '^$'
}

kv_missing_packages() {
  local p
  for p in $(kv_packages); do
    [[ $(dpkg-query -W -f='${Status}' "$p" 2>/dev/null) == "install ok installed" ]] || echo "$p"
  done
}

# Installs what packages.txt lists and the machine lacks; touches apt only when something is missing.
kv_install_deps() {
  if ! command -v dpkg-query >/dev/null || ! command -v apt-get >/dev/null; then
    kv_err "no dpkg/apt here: make sure these (Debian 12 names) are installed: $(kv_packages | tr '\n' ' ')"
    return 0
  fi
  local missing
  local as_root=()
  ((EUID == 0)) || as_root=(sudo)
  mapfile -t missing < <(kv_missing_packages)
  if ((${#missing[@]} == 0)); then
    echo "packages: all present"
    kv_german_locale "${as_root[@]}"
    return
  fi
  if ((EUID != 0)); then
    command -v sudo >/dev/null || { kv_err "missing packages and no sudo; as root run: apt-get install ${missing[*]}"; return 1; }
  fi
  kv_log "installing missing packages: ${missing[*]}"
  # Wait for another apt run instead of failing on its lock.
  local apt=("${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600)
  "${apt[@]}" update || return 1
  "${apt[@]}" install -y --no-install-recommends "${missing[@]}" || return 1
  mapfile -t missing < <(kv_missing_packages)
  ((${#missing[@]} == 0)) || { kv_err "still missing after apt-get install: ${missing[*]}"; return 1; }
  kv_german_locale "${as_root[@]}"
}

# The desktop program's tests also run in a German session, as its users do:
# generates de_DE.UTF-8 where the machine lacks it.
kv_german_locale() {
  locale -a 2>/dev/null | grep -qix 'de_DE\.utf-\?8' && return 0
  command -v locale-gen >/dev/null || { kv_err "no locale-gen: German-session tests are skipped"; return 0; }
  if (($# > 0)) && ! command -v sudo >/dev/null; then
    kv_err "no sudo to generate de_DE.UTF-8: German-session tests are skipped"
    return 0
  fi
  kv_log "generating the locale de_DE.UTF-8"
  "$@" sed -i 's/^# *\(de_DE\.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^de_DE\.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' | "$@" tee -a /etc/locale.gen >/dev/null
  "$@" locale-gen >/dev/null
}

# kv_configure DIR CXX [cmake options...]: configures ROOT/DIR with Ninja and the given compiler,
# reusing the folder when it was made the same way.
kv_configure() {
  local dir=$KV_ROOT/$1 cxx
  cxx=$(command -v "$2") || { kv_err "compiler $2 not found"; return 1; }
  shift 2
  local cache=$dir/CMakeCache.txt
  if [[ -f $cache ]]; then
    local gen old
    gen=$(sed -n 's/^CMAKE_GENERATOR:INTERNAL=//p' "$cache")
    old=$(sed -n 's/^CMAKE_CXX_COMPILER:[A-Z]*=//p' "$cache")
    if [[ $gen != Ninja || $(readlink -f "$old") != $(readlink -f "$cxx") ]]; then
      echo "$dir was made with another generator or compiler; starting it afresh"
      rm -rf "$dir"
    fi
  fi
  local compiler=()
  [[ -f $cache ]] || compiler=(-DCMAKE_CXX_COMPILER="$cxx")
  cmake -S "$KV_ROOT" -B "$dir" -G Ninja "${compiler[@]}" "$@"
}

# kv_build DIR [targets...]: builds the configured folder (all targets when none are named).
kv_build() {
  local dir=$KV_ROOT/$1
  shift
  ninja -C "$dir" -j "$KV_JOBS" "$@"
}

# kv_has_target DIR TARGET: whether the configured folder knows TARGET (a target name or output path).
kv_has_target() {
  ninja -C "$KV_ROOT/$1" -t query "$2" >/dev/null 2>&1
}
