#!/usr/bin/env bash
# Creates the program's own Wine prefix (first argument) and writes the
# Chinese font replacements into its registry, so that 宋体 and the dialog
# fonts resolve to the program's CJK font. Does nothing if already made.
set -euo pipefail
PREFIX=${1:?usage: wineprefix.sh PREFIX}
export WINEPREFIX="$PREFIX" WINEDEBUG=-all WINEDLLOVERRIDES='mscoree=;mshtml='
# Wine draws the caption buttons of windows (minimise, maximise, close) with
# the symbol font Marlett; this Wine does not find the copy in its own data
# folder, so the buttons showed the letters "0 1 r". The prefix's font
# folder gets the font from Debian's fonts-wine (prefixes made before this
# step get it too).
install_marlett() {
  local src=/usr/share/wine/fonts/marlett.ttf
  if [ ! -f "$src" ]; then
    echo "wineprefix.sh: $src is missing (package fonts-wine)" >&2
    exit 1
  fi
  mkdir -p "$PREFIX/drive_c/windows/Fonts"
  if ! cmp -s "$src" "$PREFIX/drive_c/windows/Fonts/marlett.ttf"; then
    cp -f "$src" "$PREFIX/drive_c/windows/Fonts/marlett.ttf"
    # A running wineserver keeps the fonts it has loaded.
    wineserver -k >/dev/null 2>&1 || true
  fi
}
# The program runs under a Chinese locale (scripts/run.sh, the tests), so
# that Wine's own dialogs and date pickers follow Chinese conventions; the
# locale is generated here when the system does not have it yet.
ensure_chinese_locale() {
  locale -a 2>/dev/null | grep -qix 'zh_CN\.utf-\?8' && return 0
  localedef -i zh_CN -f UTF-8 zh_CN.UTF-8 >/dev/null 2>&1 ||
    echo "wineprefix.sh: cannot generate the locale zh_CN.UTF-8 (package locales, as root)" >&2
}
ensure_chinese_locale
# The CJK font the replacements name: the installed collection's face as a
# TrueType file of its own with a smaller glyph-name table (printfont.py says
# why: printing fetched the whole table once per glyph).
CJK_SOURCE=/usr/share/fonts/truetype/wqy/wqy-microhei.ttc
CJK_FILE="$PREFIX/drive_c/windows/Fonts/tovani-song.ttf"
FONT="Tovani Song"
install_cjk() {
  mkdir -p "$PREFIX/drive_c/windows/Fonts"
  if [ ! -f "$CJK_FILE" ] || [ "$CJK_SOURCE" -nt "$CJK_FILE" ] || [ "$(dirname "$0")/printfont.py" -nt "$CJK_FILE" ]; then
    python3 "$(dirname "$0")/printfont.py" "$CJK_SOURCE" "$CJK_FILE" "$FONT"
    wineserver -k >/dev/null 2>&1 || true
  fi
}
if [ -f "$PREFIX/.tovani-fonts-2" ]; then
  install_marlett
  install_cjk
  exit 0
fi
mkdir -p "$PREFIX"
wineboot -i >/dev/null 2>&1 || true
install_cjk
for face in 宋体 新宋体 SimSun NSimSun Tahoma "MS Sans Serif" "MS Shell Dlg" "MS Shell Dlg 2" 微软雅黑 "Microsoft YaHei" 黑体 SimHei Arial "Courier New" "Times New Roman"; do
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /d "$FONT" /f >/dev/null 2>&1
done
wineserver -w || true
install_marlett
touch "$PREFIX/.tovani-fonts-2"
