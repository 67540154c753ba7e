#!/usr/bin/env bash
# The Debian package as a user gets it: unpacked into a temporary root with dpkg -x, its files,
# its control fields, the programs' version, the desktop entry, the AppStream metainfo, the manual
# pages (rendered without warnings, saying every option the programs and the README know) and
# lintian. package_test.sh SOURCE_DIR PACKAGE_DIR VERSION; exits 77 (skipped) when no package of
# that version was built (scripts/package.sh builds it; scripts/test.sh does so first).
set -uo pipefail
source_dir=$1
version=$3
deb="$2/zodrevez_${version}_$(dpkg --print-architecture).deb"
if [[ ! -f "$deb" ]]; then
  echo "no package $deb: scripts/package.sh builds it"
  exit 77
fi
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg -x "$deb" "$root" || exit 1

failed=0
fail() { echo "FAILED: $*"; failed=$((failed + 1)); }

# Files.
for file in usr/bin/zodrevez usr/bin/zodrender usr/bin/zodcheck usr/bin/zodpack; do
  [[ -x "$root/$file" ]] || fail "$file is missing or not executable"
done
for file in usr/share/applications/zodrevez.desktop usr/share/icons/hicolor/64x64/apps/zodrevez.png \
            usr/share/man/man1/zodrevez.1.gz usr/share/man/man1/zodrender.1.gz usr/share/man/man1/zodcheck.1.gz usr/share/man/man1/zodpack.1.gz \
            usr/share/man/man5/zodrevez-demo.5.gz \
            usr/share/doc/zodrevez/copyright usr/share/doc/zodrevez/changelog.gz; do
  [[ -s "$root/$file" ]] || fail "$file is missing or empty"
done
metainfo=$(ls "$root"/usr/share/metainfo/*.metainfo.xml 2>/dev/null | head -1)
[[ -n "$metainfo" ]] || fail "no metainfo in usr/share/metainfo"
file -b "$root/usr/share/zodrevez/screenshot.png" | grep -q '^PNG image data, 1024 x 768' ||
  fail "the screenshot is not a 1024 x 768 PNG"
# A real frame of the production has thousands of colours; a failed render is one flat colour.
colours=$(identify -format %k "$root/usr/share/zodrevez/screenshot.png" 2>/dev/null || echo 0)
[[ $colours -gt 1000 ]] || fail "the screenshot has $colours colours"

# Control fields: the version, dependencies computed from the programs and those they open at run
# time, ffmpeg recommended.
[[ $(dpkg-deb -f "$deb" Version) == "$version" ]] || fail "package version $(dpkg-deb -f "$deb" Version)"
depends=$(dpkg-deb -f "$deb" Depends)
for library in libc6 libsdl2-2.0-0 libepoxy0 libtinyxml2.6.2v5 libvorbisfile3 libpng16-16 libjpeg62-turbo; do
  [[ "$depends" == *"$library ("* ]] || fail "Depends lacks $library: $depends"
done
for library in libgl1 libegl1; do  # opened at run time
  [[ ", $depends," == *", $library,"* ]] || fail "Depends lacks $library: $depends"
done
[[ $(dpkg-deb -f "$deb" Recommends) == *ffmpeg* ]] || fail "ffmpeg is not recommended"

# The tools say the package's version; the player has no such option.
for tool in zodcheck zodrender zodpack; do
  said=$("$root/usr/bin/$tool" --version)
  [[ "$said" == "$tool $version" ]] || fail "$tool --version says '$said'"
done

# The desktop entry validates and starts a program of the package, with the package's icon.
desktop="$root/usr/share/applications/zodrevez.desktop"
desktop-file-validate "$desktop" || fail "desktop-file-validate"
exec_program=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
[[ -x "$root/usr/bin/$exec_program" ]] || fail "Exec=$exec_program is not in the package"
icon=$(sed -n 's/^Icon=//p' "$desktop")
[[ -f "$root/usr/share/icons/hicolor/64x64/apps/$icon.png" ]] || fail "Icon=$icon is not in the package"

# The metainfo validates and launches that desktop entry.
if [[ -n "$metainfo" ]]; then
  appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate"
  grep -q '<launchable type="desktop-id">zodrevez.desktop</launchable>' "$metainfo" || fail "metainfo launchable"
fi

# Manual pages: no warnings from man, the version in the footer, and every option of the usage
# texts and of the README's command-line table.
page_text() { LC_ALL=C.UTF-8 MANWIDTH=100 man -l "$root/usr/share/man/$1" 2>/dev/null; }
for page in man1/zodrevez.1.gz man1/zodrender.1.gz man1/zodcheck.1.gz man1/zodpack.1.gz man5/zodrevez-demo.5.gz; do
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings=w -l "$root/usr/share/man/$page" 2>&1 >/dev/null)
  [[ -z "$warnings" ]] || fail "man $page warns: $warnings"
  page_text "$page" | tail -1 | grep -q "zodrevez $version" || fail "$page does not name version $version"
done
options_in() { grep -oE '(^|[ [`])--?[a-z][a-z-]*' | grep -oE -- '--?[a-z][a-z-]*' | sort -u; }
check_options() {  # page, then the option words that it must mention
  local page=$1 text option
  text=$(page_text "$page")
  shift
  [[ $# -gt 0 ]] || fail "no options found to look for in $page"
  for option in "$@"; do
    grep -qE -- "(^|[^a-z-])$option([^a-z-]|$)" <<<"$text" || fail "$page does not mention $option"
  done
}
check_options man1/zodrender.1.gz $("$root/usr/bin/zodrender" --help | options_in)
check_options man1/zodcheck.1.gz $("$root/usr/bin/zodcheck" --help | options_in)
check_options man1/zodpack.1.gz $("$root/usr/bin/zodpack" --help | options_in)
readme_options=$(sed -n '/^## Command line/,/^## /p' "$source_dir/README.md" | grep '^| `-' | options_in)
check_options man1/zodrevez.1.gz $readme_options

# lintian: no errors.
report=$(lintian --fail-on error "$deb" 2>&1) || fail "lintian reports errors"
grep -v 'running with root privileges' <<<"$report"

if [[ $failed -gt 0 ]]; then
  echo "$failed check(s) failed"
  exit 1
fi
echo "the package $deb passed every check"
