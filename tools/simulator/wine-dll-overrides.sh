#!/usr/bin/env bash
# wine-dll-overrides.sh <exe name>...
# Makes the named programs load HID.dll and SetupApi.dll from their own folder (the simulator's
# fakes) in the Wine prefix $WINEPREFIX. The overrides are scoped per application
# (HKCU\Software\Wine\AppDefaults\<exe>\DllOverrides), so Wine's own processes keep the real
# libraries. BRENVIK_WINE_LOADER names the Wine loader of the prefix's width (default: wine).
set -euo pipefail
wine=${BRENVIK_WINE_LOADER:-wine}
for exe in "$@"; do
  key="HKCU\\Software\\Wine\\AppDefaults\\$exe\\DllOverrides"
  for dll in hid setupapi; do
    "$wine" reg add "$key" /v "$dll" /d native,builtin /f </dev/null >/dev/null 2>&1
  done
done
