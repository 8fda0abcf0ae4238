#!/usr/bin/env bash
# A French desktop on a virtual screen, to use the program as a user would:
# Xvfb, the openbox window manager, the accessibility bus for screen readers
# (python3-pyatspi), and the fr_FR.UTF-8 locale. Installs what is missing.
#   scripts/desktop.sh start    starts the desktop on :77 and prints its DISPLAY
#   scripts/desktop.sh stop
# Then, for instance:
#   DISPLAY=:77 LANG=fr_FR.UTF-8 build/app/varnelle &
#   DISPLAY=:77 xdotool search --name Varnelle; DISPLAY=:77 import -window root shot.png
#   pdftoppm -r 60 -png printed.pdf page     (a printed page, as a picture)
set -euo pipefail

display=:77
packages=(xvfb xdotool imagemagick openbox dbus-x11 at-spi2-core python3-pyatspi locales poppler-utils)

install_missing() {
  local missing=()
  for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$package")
  done
  local sudo_cmd=()
  ((EUID == 0)) || sudo_cmd=(sudo)
  if ((${#missing[@]})); then
    "${sudo_cmd[@]}" apt-get update -q
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
  fi
  if ! locale -a | grep -qi '^fr_FR.utf8$'; then
    "${sudo_cmd[@]}" localedef -i fr_FR -f UTF-8 fr_FR.UTF-8
  fi
}

case "${1:-}" in
  start)
    install_missing
    Xvfb "$display" -screen 0 1280x900x24 -dpi 96 >/dev/null 2>&1 &
    sleep 1
    # One session bus for the window manager, the program and the accessibility bus.
    eval "$(DISPLAY=$display dbus-launch --sh-syntax)"
    echo "DBUS_SESSION_BUS_ADDRESS='$DBUS_SESSION_BUS_ADDRESS'" >/tmp/varnelle-desktop.env
    DISPLAY=$display openbox >/dev/null 2>&1 &
    DISPLAY=$display /usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
    echo "export DISPLAY=$display QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 LANG=fr_FR.UTF-8"
    echo "export $(cat /tmp/varnelle-desktop.env)"
    ;;
  stop)
    pkill -f "Xvfb $display" || true
    pkill -x openbox || true
    pkill -f at-spi-bus-launcher || true
    ;;
  *)
    echo "Usage: $0 start|stop" >&2
    exit 2
    ;;
esac
