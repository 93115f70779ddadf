# Shared by ./run and ./test: install what is missing, then build.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

PACKAGES=(cmake g++ make pkg-config qt6-base-dev qt6-base-private-dev libserialport-dev libxtst-dev libgtest-dev libgmock-dev
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

SUDO=()
[ "$(id -u)" -eq 0 ] || SUDO=(sudo)

# The archive may be mid-update: one of its indexes then fails to fetch
# ("Mirror sync in progress?") for minutes or hours. Retry a few times with a
# growing pause, then go on with the lists that did update, keeping what
# failed in TAVELIN_APT_FAULT. Options go to apt-get.
update_with_retries() {
  local out try pause=15 tries=4
  for ((try = 1; ; try++)); do
    wait_for_package_locks 600
    if out=$("${SUDO[@]}" apt-get "$@" update -qq 2>&1); then
      TAVELIN_APT_FAULT=
      return 0
    fi
    printf '%s\n' "$out" >&2
    TAVELIN_APT_FAULT=$(sed -n 's/^E: \(Failed to fetch .*\)/\1/p' <<<"$out" | head -n1 | tr -s ' ')
    TAVELIN_APT_FAULT=${TAVELIN_APT_FAULT:-$(grep -m1 '^E: ' <<<"$out" | cut -c4-)}
    if ((try == tries)); then
      echo "apt-get update failed $tries times; going on with the lists that did update." >&2
      return 0
    fi
    echo "apt-get update failed (try $try of $tries); trying again in $pause s." >&2
    sleep "$pause"
    pause=$((pause * 2))
  done
}

# Once a run for the same architectures, ./test's steps included.
apt_update() {
  local arches
  arches=$(dpkg --print-foreign-architectures | tr '\n' ' ')
  [ "${TAVELIN_APT_UPDATED-unset}" = "$arches" ] && return 0
  update_with_retries
  export TAVELIN_APT_UPDATED=$arches TAVELIN_APT_FAULT
}

# install_missing [--for WHAT] PACKAGE...: installs those not installed.
# Without --for, the build's own PACKAGES too, and any that cannot be
# installed ends the run. With --for WHAT, a package that the archive cannot
# give now (it has the name, or one of its indexes failed) makes it say
# "NOT RUN: WHAT: ..." in apt's own words and return 1; a name that apt does
# not know while every index updated is the project's own fault, and ends
# the run.
install_missing() {
  local what= missing=() p log unknown=()
  if [ "${1:-}" = --for ]; then what=$2; shift 2; else set -- "${PACKAGES[@]}" "$@"; fi
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  apt_update
  wait_for_package_locks 600
  log=$(mktemp)
  if DEBIAN_FRONTEND=noninteractive "${SUDO[@]}" apt-get install -y -qq --no-install-recommends \
       -o DPkg::Lock::Timeout=600 "${missing[@]}" 2>&1 | tee "$log"; then
    rm -f "$log"
    return 0
  fi
  for p in "${missing[@]}"; do apt-cache show "$p" >/dev/null 2>&1 || unknown+=("$p"); done
  if [ -z "$what" ] || { [ ${#unknown[@]} -gt 0 ] && [ -z "$TAVELIN_APT_FAULT" ]; }; then
    [ ${#unknown[@]} -eq 0 ] || echo "apt knows no package named: ${unknown[*]}" >&2
    exit 1
  fi
  local why
  why=$(grep -m1 -e ' : Depends: ' -e '^E: Unable to locate' "$log" | sed 's/^ *//; s/^E: //' || true)
  why=${why:-$(grep -m1 '^E: ' "$log" | cut -c4- || true)}
  rm -f "$log"
  [ -z "$TAVELIN_APT_FAULT" ] || why="apt-get update: $TAVELIN_APT_FAULT${why:+; apt-get install: $why}"
  not_run "$what: ${missing[*]} cannot be installed: $why"
  return 1
}

# What a run could not do, one line each: said when it happens, and again
# as the last lines of the outermost script that collects them.
not_run() {
  echo "NOT RUN: $*" >&2
  [ -z "${TAVELIN_NOT_RUN:-}" ] || echo "NOT RUN: $*" >>"$TAVELIN_NOT_RUN"
}

collect_not_run() {
  [ -z "${TAVELIN_NOT_RUN:-}" ] || return 0
  TAVELIN_NOT_RUN=$(mktemp)
  export TAVELIN_NOT_RUN
  trap 'cat "$TAVELIN_NOT_RUN"; rm -f "$TAVELIN_NOT_RUN"' EXIT
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
