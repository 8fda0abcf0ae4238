#!/usr/bin/env bash
# What a software centre gets from the installed program: the tree that
# `cmake --install` lays out (as the Debian package holds it) is composed into
# an AppStream catalogue by `appstreamcli compose`, the tool distributions run
# on their packages. A component whose icon, desktop entry or metainfo is
# missing or wrong is dropped from the catalogue, and the program from the
# software centre, so any error or warning fails here, and the catalogue must
# list the icon at the sizes software centres show.
# Usage: appstream_compose_test.sh CMAKE APPSTREAMCLI BUILD_DIR
set -euo pipefail

cmake=$1
appstreamcli=$2
build_dir=$3
component=example.varnelle.Varnelle
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
  echo "ÉCHEC : $*" >&2
  exit 1
}

# Width and height of a PNG picture, read from its IHDR chunk.
png_size() {
  local bytes
  read -r -a bytes <<<"$(od -An -tu1 -j16 -N8 "$1")"
  ((${#bytes[@]} == 8)) || fail "$1 : pas une image PNG"
  echo "$(((bytes[0] << 24) | (bytes[1] << 16) | (bytes[2] << 8) | bytes[3]))x$(((bytes[4] << 24) | (bytes[5] << 16) | (bytes[6] << 8) | bytes[7]))"
}

root=$work/root
DESTDIR=$root "$cmake" --install "$build_dir" --prefix /usr >"$work/install.log" ||
  { cat "$work/install.log" >&2; fail "cmake --install"; }

# Each themed icon must be as large as the folder it lies in says, or
# desktops scale it wrongly and compose refuses it.
icons=("$root"/usr/share/icons/hicolor/*/apps/varnelle.png)
[[ -f "${icons[0]}" ]] || fail "aucune icône varnelle.png dans usr/share/icons/hicolor"
for icon in "${icons[@]}"; do
  folder_size=$(basename "$(dirname "$(dirname "$icon")")")
  [[ $(png_size "$icon") == "$folder_size" ]] ||
    fail "$icon : $(png_size "$icon") au lieu de $folder_size"
done

result=$work/result
status=0
"$appstreamcli" compose --no-net --no-color --print-report=full --origin=varnelle \
  --result-root="$result" "$root" >"$work/compose.log" 2>&1 || status=$?
cat "$work/compose.log"
((status == 0)) || fail "appstreamcli compose a échoué (code $status)"
# The report names each hint on its own line as "  E: tag" or "  W: tag".
if grep -Eq '^[[:space:]]*[EW]: ' "$work/compose.log"; then
  fail "appstreamcli compose signale des erreurs ou des avertissements"
fi

catalogue=$result/usr/share/swcatalog/xml/varnelle.xml.gz
[[ -f "$catalogue" ]] || fail "pas de catalogue $catalogue"
gzip -dc "$catalogue" >"$work/catalogue.xml"
grep -q "<id>$component</id>" "$work/catalogue.xml" || fail "$component absent du catalogue"
for size in 64 128; do
  grep -q "<icon type=\"cached\" width=\"$size\" height=\"$size\">$component.png</icon>" \
    "$work/catalogue.xml" || fail "le catalogue ne donne pas l'icône de ${size}x$size"
  cached=$result/usr/share/swcatalog/icons/varnelle/${size}x$size/$component.png
  [[ -f "$cached" ]] || fail "icône absente : $cached"
  [[ $(png_size "$cached") == "${size}x$size" ]] || fail "$cached : $(png_size "$cached")"
done
echo "Catalogue composé avec les icônes de 64 et 128 pixels."
