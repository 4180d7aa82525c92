#!/usr/bin/env bash
# Creates the program's own Wine prefix (first argument) and writes the
# Chinese font replacements into its registry, so that 宋体 and the dialog
# fonts resolve to the installed CJK font. Does nothing if already made.
set -euo pipefail
PREFIX=${1:?usage: wineprefix.sh PREFIX}
export WINEPREFIX="$PREFIX" WINEDEBUG=-all WINEDLLOVERRIDES='mscoree=;mshtml='
if [ -f "$PREFIX/.tovani-fonts" ]; then exit 0; fi
mkdir -p "$PREFIX"
wineboot -i >/dev/null 2>&1 || true
FONT="WenQuanYi Micro Hei"
for face in 宋体 新宋体 SimSun NSimSun Tahoma "MS Sans Serif" "MS Shell Dlg" "MS Shell Dlg 2" 微软雅黑 "Microsoft YaHei" 黑体 SimHei Arial "Courier New" "Times New Roman"; do
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /d "$FONT" /f >/dev/null 2>&1
done
wineserver -w || true
touch "$PREFIX/.tovani-fonts"
