#!/usr/bin/env bash
# The README's recipe for real: sensor readings piped through
# `varnelle-bareme --flux` into `mosquitto_pub -l` reach a subscriber as
# exactly the JSON lines written, through a broker of our own on a free local
# port. Nothing started here outlives the test.
# Usage: mqtt_flux_test.sh PATH/TO/varnelle-bareme
set -euo pipefail
# Debian installs the broker in /usr/sbin, which a user's PATH may lack.
PATH="$PATH:/usr/sbin:/sbin"

program=$1
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

# rtl_433's lines, one from another sensor among them.
printf '%s\n' \
  '{"model":"Oil-SonicSmart","id":1,"depth_cm":64}' \
  '{"model":"Acurite-Tower","id":2,"temperature_C":12.5}' \
  '{"model":"Oil-SonicSmart","id":1,"depth_cm":63.5}' \
  | "$program" --diametre 1000 --longueur 2000 --bords calotte --largeur 100 --crepine 100 \
      --flux --champ depth_cm --unite cm 2>"$work/errors" \
  | tee "$work/sent" \
  | mosquitto_pub -h 127.0.0.1 -p "$port" -t varnelle/cuve -l

[[ $(wc -l <"$work/sent") -eq 2 ]] || fail "deux lectures attendues, reçu : $(cat "$work/sent")"
[[ $(wc -l <"$work/errors") -eq 1 ]] || fail "une ligne d'erreur attendue : $(cat "$work/errors")"
received_all() {
  [[ $(grep -c '^varnelle/cuve ' "$work/received") -ge 2 ]]
}
eventually received_all || fail "messages manquants : $(cat "$work/received")"
sed -n 's|^varnelle/cuve ||p' "$work/received" >"$work/payloads"
cmp -s "$work/sent" "$work/payloads" \
  || fail "reçu autre chose que les lignes écrites : $(cat "$work/payloads")"
echo "ok : $(wc -l <"$work/payloads") lignes JSON reçues par MQTT"
