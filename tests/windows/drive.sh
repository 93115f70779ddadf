# Sourced by the scripts that drive the real tavelin.exe under Wine with
# winprobe ($probe): keys as a user types them, the log read through the clipboard.
main=ID/IC  # the part of the main window's title free of Chinese (arguments pass through the locale)

fail() {
  echo "FAILED: $*" >&2
  exit 1
}
# A probe that fails says whether the program ($app, where the script has
# started one) had ended by then, and with which status.
p() {
  local status=0 ended=
  wine "$probe" "$@" || status=$?
  if [ "$status" != 0 ] && [ -n "${app:-}" ] && ! kill -0 "$app" 2>/dev/null; then
    # Only the shell that started it can ask for its status.
    if [ "$BASHPID" = $$ ]; then ended=0; wait "$app" 2>/dev/null || ended=$?; fi
    echo "the program had ended${ended:+, with status $ended}, when winprobe $1 was asked" >&2
  fi
  return "$status"
}
keys() { p keys "$main" "$@"; }

# After a failure: the program ($app) is asked to close, and ended if it
# does not within a bound (a dialog it has open keeps it).
end_app() {
  [ -n "${app:-}" ] && kill -0 "$app" 2>/dev/null || return 0
  wine "$probe" close "$main" >/dev/null 2>&1 || true
  for ((end = SECONDS + 10; SECONDS < end; )); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
  kill "$app" 2>/dev/null || true
  wait "$app" 2>/dev/null || true
}

# What the focused box holds, copied out of it once the program has copied it.
copied() { p copy "$main" ctrl+a ctrl+c | tr -d '\r'; }

# The message log once FILTER (a command it is piped through) gives WANT,
# read through a click on it (at its place in the window), which leaves the
# focus there for the next steps to start from. The program writes its line
# once the reader has replied, so the log is read again until it does (a
# minute at most: a bound for a failure, not a pace).
await_log() {
  local filter=$1 want=$2 text end=$((SECONDS + 60))
  while :; do
    p click "$main" 0.88 0.48
    text=$(copied | $filter)
    [ "$text" = "$want" ] || [ "$SECONDS" -ge "$end" ] && break
    sleep 0.25
  done
  keys ctrl+end
  [ "$text" = "$want" ] || fail "the log reads"$'\n'"$text"$'\n'"expected"$'\n'"$want"
}
expect_log() { await_log cat "$(printf '%s\n' "$@")"; }
expect_last_log() { await_log "tail -n1" "$1"; }

# Open or Close, through the port list (a click and Esc put the focus there
# whatever had it) and two tab stops; DOWNS moves the list first. An Esc
# that comes before the list has opened closes the window instead.
press_open() {
  p click "$main" 0.161 0.945
  p popup "$main"
  keys esc
  p nopopup "$main"
  keys "$@" tab tab space
}
