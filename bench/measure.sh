# Sourced by the cost scripts: runs a whole process under /usr/bin/time, installs
# what a script needs, stops one whose program is not built.
#
# measure COMMAND [ARGUMENT...] runs it $runs times (default 3, against a busy
# machine), standard output to $out (default /dev/null), standard error to
# $work/stderr.txt, its address space capped at $cap_mb MB (default 8192) and
# its time at $limit seconds (default 120). It sets kb (the largest peak, in
# KB), secs (the shortest wall time) and note ("timeout", or "exit N" for an
# exit status not listed in $accepted, default "0").
measure() {
  kb=0
  secs=""
  note=""
  local i line m e status
  for ((i = 0; i < ${runs:-3}; i++)); do
    status=0
    prlimit --as=$((${cap_mb:-8192} * 1024 * 1024)) \
      /usr/bin/time -f "%M %e" -o "$work/time.txt" \
      timeout "${limit:-120}" "$@" > "${out:-/dev/null}" 2> "$work/stderr.txt" || status=$?
    line=$(tail -n 1 "$work/time.txt")
    m=${line% *}
    e=${line#* }
    [ "$m" -gt "$kb" ] && kb=$m
    if [ -z "$secs" ] || awk -v a="$e" -v b="$secs" 'BEGIN { exit !(a < b) }'; then secs=$e; fi
    if [ "$status" -eq 124 ]; then
      note="timeout"
    elif [[ " ${accepted:-0} " != *" $status "* ]]; then
      note="exit $status"
    fi
  done
}

# install_missing [PACKAGE...] installs the Debian packages named, if any,
# non-interactively and through sudo when not root.
install_missing() {
  [ $# -gt 0 ] || return 0
  local sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  echo "Installing: $*"
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -q
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "$@"
}

# require_built PROGRAM BUILD_COMMAND stops the script, saying how to build
# PROGRAM, when it is not built.
require_built() {
  [ -x "$1" ] && return 0
  echo "$1 is missing. Build first:" >&2
  echo "  $2" >&2
  exit 2
}
