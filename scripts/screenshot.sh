#!/usr/bin/env bash
# Starts the program on a virtual X display, waits for its window and saves a
# picture of it.   Usage: scripts/screenshot.sh PROGRAM OUTPUT.png
set -euo pipefail

if [[ "${1:-}" != "--on-display" ]]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" "$0" --on-display "$@"
fi
program=$2
output=$3

"$program" &
pid=$!
trap 'kill "$pid" 2>/dev/null || true' EXIT
window=""
for _ in $(seq 1 100); do
  window=$(xdotool search --onlyvisible --name '^Varnelle$' 2>/dev/null | head -n 1 || true)
  [[ -n "$window" ]] && break
  sleep 0.1
done
if [[ -z "$window" ]]; then
  echo "La fenêtre de Varnelle n'est pas apparue." >&2
  exit 1
fi
sleep 0.5
import -window "$window" "$output"
