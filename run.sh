#!/usr/bin/env bash
# Installs what is missing, builds, and opens the window.
set -euo pipefail
cd "$(dirname "$0")"

scripts/setup.sh build

program=build/app/varnelle
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
  echo "Pas d'écran ici : Varnelle tourne sur un écran virtuel (Xvfb) le temps d'une capture."
  scripts/screenshot.sh "$program" build/varnelle.png 2>/dev/null
  echo "Capture de la fenêtre : $(pwd)/build/varnelle.png"
  exit 0
fi
exec "$program" "$@"
