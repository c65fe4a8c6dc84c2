#!/usr/bin/env bash
# Installs the build into a fresh prefix and checks what a user and a desktop
# get: the program folder, the commands, a valid desktop entry, the icon, and
# an installed converter that works.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
lib=$prefix/lib/varnel-video-converter
for f in varnel-video-converter varnel-convert fp.dll mp.dll skins/frmmain.skn help/index.html loading.jpg translations/varnel_de.qm; do
  [ -e "$lib/$f" ] || { echo "missing $lib/$f"; exit 1; }
done
for c in varnel-video-converter varnel-convert; do
  [ "$(readlink -f "$prefix/bin/$c")" = "$(readlink -f "$lib/$c")" ] || { echo "$c does not lead into the program folder"; exit 1; }
done
entry=$prefix/share/applications/varnel-video-converter.desktop
desktop-file-validate "$entry"
grep -qx 'Exec=varnel-video-converter %F' "$entry"
grep -q '^MimeType=.*video/mp4;' "$entry"
[ -s "$prefix/share/icons/hicolor/scalable/apps/varnel-video-converter.svg" ]
[ "$("$prefix/bin/varnel-convert" --version)" = "varnel-convert 3.70" ]
# The installed converter probes with the installed adapters.
clip=$prefix/clip.mp4
ffmpeg -nostdin -loglevel error -f lavfi -i testsrc=size=320x240:rate=25:duration=2 -c:v libx264 -preset ultrafast \
  -pix_fmt yuv420p "$clip"
# Its data folder is the user's (one of the test's own), never the program folder.
out=$(env -u VARNEL_PROGRAM_FOLDER HOME="$prefix/home" XDG_DATA_HOME="$prefix/home/.local/share" \
  "$prefix/bin/varnel-convert" probe "$clip")
case "$out" in *$'\t'320x240$'\t'*) ;; *) echo "probe through the install gave: $out"; exit 1 ;; esac
echo "install ok"
