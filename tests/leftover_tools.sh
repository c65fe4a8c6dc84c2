#!/usr/bin/env bash
# Runs after every other test: fails when a tool that this test run started
# (an encoder, a player, a prober or an adapter) is still running. Our tools
# carry VARNEL_PARENT_PID in their environment, and make test's
# VARNEL_TEST_MARK limits the look to this run.
set -u
mark=${VARNEL_TEST_MARK:-}
# Without the mark of make test, other runs' tools cannot be told apart.
if [ -z "$mark" ]; then echo "not run through make test: nothing to tell apart"; exit 0; fi
find_left() {
  for d in /proc/[0-9]*; do
    comm=$(cat "$d/comm" 2>/dev/null) || continue
    case "$comm" in ffmpeg|ffprobe|mplayer|fp.dll|mp.dll) ;; *) continue ;; esac
    state=$(awk '{print $3}' "$d/stat" 2>/dev/null)
    [ "$state" = Z ] && continue
    env=$(tr '\0' '\n' < "$d/environ" 2>/dev/null) || continue
    grep -q '^VARNEL_PARENT_PID=' <<<"$env" || continue
    grep -qxF "VARNEL_TEST_MARK=$mark" <<<"$env" || continue
    echo "${d#/proc/} $(tr '\0' ' ' < "$d/cmdline")"
  done
}
for _ in $(seq 1 20); do
  left=$(find_left)
  [ -z "$left" ] && { echo "no tool outlived its test"; exit 0; }
  sleep 0.5
done
echo "tools still running after the tests:"
echo "$left"
# Not left for the next run to trip over.
awk '{print $1}' <<<"$left" | xargs -r kill -9 2>/dev/null
exit 1
