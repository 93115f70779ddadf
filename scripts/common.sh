# Shared by ./run and ./test: install what is missing, then build.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

PACKAGES=(cmake g++ make pkg-config qt6-base-dev libserialport-dev libgtest-dev libgmock-dev
          libbenchmark-dev fonts-wqy-microhei qt6-l10n-tools qt6-translations-l10n)

# Another program (an unattended upgrade, a second apt) may hold the package
# manager's locks, and apt-get would then fail at once: wait for them, up to
# $1 seconds. apt takes them as POSIX locks, which /proc/locks lists by inode.
wait_for_package_locks() {
  local lock inode held waited=0
  while :; do
    held=
    for lock in /var/lib/dpkg/lock-frontend /var/lib/dpkg/lock /var/lib/apt/lists/lock \
                /var/cache/apt/archives/lock; do
      inode=$(stat -c %i "$lock" 2>/dev/null) || continue
      grep -q ":$inode " /proc/locks && held=$lock
    done
    [ -z "$held" ] && return 0
    if [ "$waited" -ge "$1" ]; then
      echo "Another program still holds $held after $1 s; try again when it has finished." >&2
      return 1
    fi
    [ "$waited" -eq 0 ] && echo "Waiting for another program to release $held (at most $1 s)..."
    sleep 1
    waited=$((waited + 1))
  done
}

install_missing() {
  local missing=() p
  for p in "${PACKAGES[@]}" "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  wait_for_package_locks 600
  "${sudo[@]}" apt-get update -qq
  wait_for_package_locks 600
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
    -o DPkg::Lock::Timeout=600 "${missing[@]}"
}

# timed WHAT COMMAND...: runs it and says how long it took, so that a slow
# run shows where its time went. Not for a condition (cmd || ...): there a
# failure inside a function would not stop it.
timed() {
  local what=$1 start=$SECONDS
  shift
  "$@"
  echo "== $what: $((SECONDS - start)) s"
}

# build DIR [cmake options...]; TARGETS limits what is built.
build() {
  local dir=$1; shift
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
  cmake --build "$dir" --parallel "$(nproc)" ${TARGETS:+--target $TARGETS}
}

# run_suite DIR [ctest options...]: the suite of a build tree, windows offscreen;
# a sanitized tree with its sanitizers' settings.
run_suite() {
  local dir=$1; shift
  (cd "$dir" &&
   ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
   LSAN_OPTIONS=suppressions=$PWD/../tests/lsan.supp:print_suppressions=0 \
   QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 300 -j "$(nproc)" "$@")
}
