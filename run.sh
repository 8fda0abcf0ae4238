#!/usr/bin/env bash
# Installs what is missing, builds, and opens the window.
set -euo pipefail
cd "$(dirname "$0")"

scripts/setup.sh build

program=build/app/varnelle
if [[ ! -x "$program" ]]; then
  echo "Varnelle est construit, mais n'a pas encore de fenêtre."
  exit 0
fi
exec "$program" "$@"
