#!/usr/bin/env bash
# Installs the build into a staging root and checks what landed there: exactly the programs and
# desktop files, each valid for the desktop's validators and pointing at one another.
# Usage: check_install.sh <build dir> <staging dir>
set -euo pipefail
build=$1
stage=$2
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

rm -rf "$stage"
DESTDIR="$stage" cmake --install "$build" --prefix /usr >/dev/null
root=$stage/usr

# Exactly these files: no test executables, benchmarks, static libraries or the demo-disc tool;
# the player's sound and network modules where it looks for them, lib/qlnx beside bin/.
expected=$(sort <<'LIST'
bin/qlnx
bin/qlnx-playd
bin/qlnxcd
bin/qlnxdc
lib/qlnx/qlnx-audiosink.so
lib/qlnx/qlnx-network.so
share/applications/qlnx.desktop
share/applications/qlnxdc.desktop
share/doc/qlnx/copyright
share/icons/hicolor/48x48/apps/qlnx.png
share/icons/hicolor/scalable/apps/qlnx.svg
share/metainfo/org.qlnx.qlnx.metainfo.xml
LIST
)
actual=$(cd "$root" && find . \( -type f -o -type l \) | sed 's|^\./||' | sort)
if [[ $actual != "$expected" ]]; then
    fail "installed files differ from the expected list:"
    diff <(echo "$expected") <(echo "$actual") >&2 || true
fi
[[ -z $(cd "$stage" && find . -mindepth 1 -maxdepth 1 ! -name usr) ]] ||
    fail "files outside the prefix"
for program in qlnx qlnx-playd qlnxdc qlnxcd; do
    [[ -x $root/bin/$program ]] || fail "bin/$program is not executable"
done
# The player starts without the sound and the network libraries: its modules bring them.
if readelf -d "$root/bin/qlnx" | grep -E 'NEEDED.*libQt6(Multimedia|Network)'; then
    fail "bin/qlnx links a library its modules are for"
fi

apps=$root/share/applications
desktop-file-validate "$apps/qlnx.desktop" "$apps/qlnxdc.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$root/share/metainfo/org.qlnx.qlnx.metainfo.xml" >&2 ||
    fail "appstreamcli validate"

field() { sed -n "s/^$2=//p" "$1" | head -n 1; }
for entry in qlnx qlnxdc; do
    file=$apps/$entry.desktop
    [[ $(field "$file" Exec) == "$entry"* ]] || fail "$entry.desktop: Exec is not $entry"
    icon=$(field "$file" Icon)
    [[ -f $root/share/icons/hicolor/scalable/apps/$icon.svg ]] ||
        fail "$entry.desktop: icon $icon not installed"
done
[[ $(field "$apps/qlnx.desktop" Categories) == "AudioVideo;Audio;Player;" ]] ||
    fail "qlnx.desktop: categories"
[[ $(field "$apps/qlnxdc.desktop" Categories) == "Utility;" ]] || fail "qlnxdc.desktop: categories"
# The player opens disc images (CUE sheets, TOC files) given to it; the converter no files.
[[ $(field "$apps/qlnx.desktop" MimeType) == "application/x-cue;application/x-toc;" ]] ||
    fail "qlnx.desktop: MIME types"
[[ $(field "$apps/qlnx.desktop" Exec) == "qlnx %f" ]] || fail "qlnx.desktop: Exec is not qlnx %f"
[[ $(field "$apps/qlnxdc.desktop" Exec) == "qlnxdc" ]] || fail "qlnxdc.desktop: Exec"

launchable=$(sed -n 's:.*<launchable type="desktop-id">\(.*\)</launchable>.*:\1:p' \
    "$root/share/metainfo/org.qlnx.qlnx.metainfo.xml")
[[ -f $apps/$launchable ]] || fail "metainfo launches $launchable, which is not installed"

# The PNG is the 48 px size the folder promises (width and height of the IHDR chunk).
size=$(od -An -tx1 -j16 -N8 "$root/share/icons/hicolor/48x48/apps/qlnx.png" | tr -d ' \n')
[[ $size == 0000003000000030 ]] || fail "qlnx.png is not 48x48 ($size)"

if ((failures > 0)); then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "install tree: all checks passed"
