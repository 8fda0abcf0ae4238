#!/usr/bin/env bash
# `varnelle-bareme --flux --carnet` killed with kill -9 at random moments:
# each time the carnet passes SQLite's integrity check and holds every
# reading whose line the stream wrote as kept. Then a stream and readings
# typed by hand (--releve) write the same carnet at once, and all land.
# Usage: carnet_kill_test.sh PATH/TO/varnelle-bareme
set -euo pipefail

program=$1
work=$(mktemp -d)
started=()
cleanup() {
  for pid in "${started[@]}"; do
    kill -9 "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "ÉCHEC : $*" >&2
  exit 1
}

# The sensor's lines are read in UTC: line i is taken at 2000-01-01 + i hours.
export TZ=UTC
carnet="$work/cuve.carnet"
tank=(--diametre 1000 --longueur 2000 --bords plats --crepine 100)
stream=(--flux --carnet "$carnet" --mesure hauteur --champ hauteur_mm)
start_epoch=946684800 # 2000-01-01T00:00:00Z

# Lines first to last of a sensor sending every hour, each at its own height.
lines() {
  python3 - "$1" "$2" "$start_epoch" <<'EOF'
import sys, time
first, last, start = int(sys.argv[1]), int(sys.argv[2]), int(sys.argv[3])
out = sys.stdout
for i in range(first, last):
    stamp = time.strftime("%Y-%m-%d %H:%M:%S", time.gmtime(start + 3600 * i))
    out.write('{"time":"%s","hauteur_mm":%.1f}\n' % (stamp, 900 - (i % 8000) * 0.1))
EOF
}

# The readings of the carnet, "milliseconds height" a line.
stored() {
  sqlite3 -separator ' ' "$carnet" 'SELECT heure_unix_ms, hauteur_mm FROM releves'
}

# Every whole line of $1 (the answers to lines $2 onwards) that says its
# reading was kept has it in the carnet; prints how many there were.
check_kept() {
  stored >"$work/stored" || fail "le carnet ne se lit plus"
  python3 - "$1" "$2" "$start_epoch" "$work/stored" <<'EOF'
import json, sys
answers, first, start, stored = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
readings = set()
for row in open(stored):
    ms, height = row.split()
    readings.add((int(ms), round(float(height), 1)))
text = open(answers).read()
whole = text.split("\n")[:-1]  # a line cut by the kill has no end
kept = 0
for j, line in enumerate(whole):
    answer = json.loads(line)
    if answer["releve_enregistre"]:
        i = first + j
        expected = ((start + 3600 * i) * 1000, round(900 - (i % 8000) * 0.1, 1))
        if expected not in readings:
            sys.exit("relevé de la ligne %d écrite absent du carnet : %s" % (j + 1, line))
        kept += 1
print(kept)
EOF
}

# Five streams, each killed after a random time (the first one at its very
# start), each going on where the last one's lines stopped.
segment=40000
total_kept=0
for round in 0 1 2 3 4; do
  first=$((round * segment))
  lines "$first" $((first + segment)) >"$work/input"
  "$program" "${tank[@]}" "${stream[@]}" <"$work/input" >"$work/answers" 2>"$work/errors" &
  pid=$!
  started+=("$pid")
  if ((round == 0)); then
    sleep 0.0$((RANDOM % 5))
  else
    sleep "$((RANDOM % 2)).$((RANDOM % 10))$((RANDOM % 10))"
  fi
  kill -9 "$pid" 2>/dev/null || fail "le flux $round a fini avant d'être tué"
  wait "$pid" 2>/dev/null || true
  [[ -s "$work/errors" ]] && fail "le flux $round a écrit des erreurs : $(cat "$work/errors")"
  [[ -f "$carnet" ]] || { ((round == 0)) && continue; fail "plus de carnet après le flux $round"; }
  integrity=$(sqlite3 "$carnet" 'PRAGMA integrity_check') || fail "sqlite3 ne lit pas le carnet"
  [[ "$integrity" == "ok" ]] || fail "carnet abîmé après le flux $round : $integrity"
  kept=$(check_kept "$work/answers" "$first") || fail "flux $round : $kept"
  total_kept=$((total_kept + kept))
done
((total_kept > 0)) || fail "aucun relevé gardé en cinq flux"

# A stream and readings typed by hand at once: the hand-typed ones (of an
# earlier year, so that the stream keeps its own pace) and the stream's all
# land, each waiting for the other's transaction.
first=$((5 * segment))
lines "$first" $((first + 20000)) >"$work/input"
"$program" "${stream[@]}" <"$work/input" >"$work/answers" 2>"$work/errors" &
pid=$!
started+=("$pid")
for day in $(seq 10 29); do
  "$program" --carnet "$carnet" --releve 450 --date "1999-06-${day}T12:00:00Z" >/dev/null \
    || fail "le relevé du 1999-06-$day n'a pas été enregistré pendant le flux"
done
kill -0 "$pid" 2>/dev/null || echo "remarque : le flux a fini avant les relevés à la main" >&2
wait "$pid" || fail "le flux a échoué pendant les relevés à la main : $(cat "$work/errors")"
[[ -s "$work/errors" ]] && fail "le flux a écrit des erreurs : $(cat "$work/errors")"
typed=$(sqlite3 "$carnet" "SELECT count(*) FROM releves WHERE source = 'jauge' AND hauteur_mm = 450")
[[ "$typed" == 20 ]] || fail "20 relevés à la main attendus, $typed dans le carnet"
kept=$(check_kept "$work/answers" "$first") || fail "flux avec relevés à la main : $kept"
((kept == 20000)) || fail "20000 relevés du flux attendus, $kept gardés"
[[ $(sqlite3 "$carnet" 'PRAGMA integrity_check') == "ok" ]] || fail "carnet abîmé"
echo "ok : cinq flux tués ($total_kept relevés gardés et retrouvés), puis 20000 relevés d'un flux et 20 à la main ensemble"
