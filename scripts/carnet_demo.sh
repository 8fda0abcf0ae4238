#!/bin/bash
# A carnet of sixty days of dipstick readings, one every third morning, and a
# delivery, for the README's example and for trying the carnet's reports:
#   scripts/carnet_demo.sh [PROGRAM] [CARNET]
# then: varnelle-bareme --carnet CARNET --bilan
set -e
B=${1:-build/bareme/varnelle-bareme}
C=${2:-cuve.carnet}
rm -f "$C" "$C"-wal "$C"-shm
TANK="--diametre 1200 --longueur 2500 --bords calotte --largeur 150 --crepine 80"
height() { $B $TANK --volume "$1" --format json | python3 -c 'import json,sys; print(round(json.load(sys.stdin)["hauteur_mazout_mm"]))'; }
litres=1900
first=1
for day in $(seq 0 60); do
  d=$(date -d "2026-10-01 +$day days" +%Y-%m-%d)
  # A colder November burns more: 9 L a day in October, 16 in November.
  if [ "$day" -lt 31 ]; then use=9; else use=16; fi
  if [ "$day" = 42 ]; then
    before=$(height "$litres")
    after_litres=$(python3 -c "print($litres + 1200)")
    after=$(height "$after_litres")
    $B --carnet "$C" --releve "$before" --date "${d}T08:00" > /dev/null
    $B --carnet "$C" --livraison 1205 --prix 1,09 --avant "$before" --apres "$after" --date "${d}T10:30"
    $B --carnet "$C" --releve "$after" --date "${d}T11:00" > /dev/null
    litres=$after_litres
  elif [ $((day % 3)) = 0 ]; then
    h=$(height "$litres")
    if [ -n "$first" ]; then
      $B --carnet "$C" $TANK --releve "$h" --date "${d}T08:00" > /dev/null; first=
    else
      $B --carnet "$C" --releve "$h" --date "${d}T08:00" > /dev/null
    fi
  fi
  litres=$(python3 -c "print($litres - $use)")
done
