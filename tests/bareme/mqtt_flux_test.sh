#!/usr/bin/env bash
# The README's recipe for real: sensor readings piped through
# `varnelle-bareme --flux` into `mosquitto_pub -l` reach a subscriber as
# exactly the JSON lines written, through a broker of our own on a free local
# port. Nothing started here outlives the test.
# Usage: mqtt_flux_test.sh PATH/TO/varnelle-bareme
set -euo pipefail
# rtl_433 (Debian's rtl-433) decodes the sensors' packets as it would off the
# air. Debian installs the broker in /usr/sbin, which a user's PATH may lack.
PATH="$PATH:/usr/sbin:/sbin"

program=$1
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
work=$(mktemp -d)
started=()
cleanup() {
  for pid in "${started[@]}"; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "ÉCHEC : $*" >&2
  [[ -f "$work/broker.log" ]] && cat "$work/broker.log" >&2
  exit 1
}

# Waits up to ten seconds for a command to succeed.
eventually() {
  for _ in $(seq 1 100); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}

# A broker on a port that nobody else holds: another port is tried when the
# broker cannot listen on the one drawn.
start_broker() {
  for _ in $(seq 1 20); do
    port=$((20000 + RANDOM % 40000))
    printf 'listener %s 127.0.0.1\nallow_anonymous true\npersistence false\n' "$port" \
      >"$work/broker.conf"
    mosquitto -c "$work/broker.conf" >"$work/broker.log" 2>&1 &
    local broker=$!
    started+=("$broker")
    if eventually bash -c "kill -0 $broker 2>/dev/null && mosquitto_pub -h 127.0.0.1 -p $port -t varnelle/essai -m essai 2>/dev/null" \
      && kill -0 "$broker" 2>/dev/null; then
      return 0
    fi
    kill "$broker" 2>/dev/null || true
  done
  fail "aucun courtier MQTT n'a pu démarrer"
}

start_broker
mosquitto_sub -h 127.0.0.1 -p "$port" -t 'varnelle/#' -v >"$work/received" &
started+=("$!")
# The subscriber is listening once a message published now reaches it.
eventually bash -c "mosquitto_pub -h 127.0.0.1 -p $port -t varnelle/essai -m pret && grep -q '^varnelle/essai pret$' '$work/received'" \
  || fail "l'abonné ne reçoit rien"

# What rtl_433 hears, decoded by rtl_433 itself from the sensors' packets:
# this tank's sensor, a pairing burst (depth 0), a neighbour's sensor, a
# weather station (its line as rtl_433 writes it), this tank's sensor again.
ours=13060111
neighbour=22334455
packet() { python3 "$here/oil_sensor_packet.py" "$@"; }
heard() { rtl_433 -R 43 -F json -y "$(packet "$@")" 2>/dev/null; }
{
  heard "$ours" 64
  for _ in 1 2 3; do heard "$ours" 0 0x81; done
  heard "$neighbour" 30
  echo '{"time" : "2026-12-09 04:03:10", "model" : "Acurite-Tower", "id" : 2043, "channel" : "A", "battery_ok" : 1, "temperature_C" : 4.2, "humidity" : 81}'
  heard "$neighbour" 31
  heard "$ours" 63
} >"$work/heard"
[[ $(grep -c '"depth_cm"' "$work/heard") -eq 7 ]] || fail "rtl_433 n'a pas tout décodé : $(cat "$work/heard")"

# The README's recipe: only this tank's readings, published retained.
"$program" --diametre 1000 --longueur 2000 --bords calotte --largeur 100 --crepine 100 \
    --flux --champ depth_cm --unite cm --filtre id="$ours" --filtre model=Oil-SonicSmart \
    <"$work/heard" 2>"$work/errors" \
  | tee "$work/sent" \
  | mosquitto_pub -h 127.0.0.1 -p "$port" -t varnelle/cuve -l -r

heights=$(sed 's/.*"hauteur_mazout_mm":\([0-9.]*\).*/\1/' "$work/sent" | paste -sd,)
[[ "$heights" == "360,370" ]] || fail "hauteurs attendues 360,370, écrit : $(cat "$work/sent")"
[[ $(grep -c 'pas de mesure' "$work/errors") -eq 3 && $(wc -l <"$work/errors") -eq 3 ]] \
  || fail "trois lignes « pas de mesure » attendues : $(cat "$work/errors")"
received_all() {
  [[ $(grep -c '^varnelle/cuve ' "$work/received") -ge 2 ]]
}
eventually received_all || fail "messages manquants : $(cat "$work/received")"
sed -n 's|^varnelle/cuve ||p' "$work/received" >"$work/payloads"
cmp -s "$work/sent" "$work/payloads" \
  || fail "reçu autre chose que les lignes écrites : $(cat "$work/payloads")"

# Retained: a subscriber that comes later (Home Assistant starting) gets the last litres at once.
late=$(timeout 10 mosquitto_sub -h 127.0.0.1 -p "$port" -t varnelle/cuve -C 1) \
  || fail "le dernier message n'est pas retenu"
[[ "$late" == "$(tail -n 1 "$work/sent")" ]] || fail "message retenu inattendu : $late"
echo "ok : $(wc -l <"$work/payloads") lignes JSON reçues par MQTT, dont la dernière retenue"
