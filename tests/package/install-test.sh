#!/usr/bin/env bash
# The release as a Windows user meets it: built and signed with a throwaway certificate, then for each
# architecture this machine runs, installed silently over an older version, started from its shortcut,
# and removed again. Runs in a Wine prefix of its own; the older versions carry a stand-in program from
# the build trees (scripts/build.sh).
set -euo pipefail
cd "$(dirname "$0")/../.."
work=$PWD/build/package-test
rm -rf "$work" && mkdir -p "$work"
failures=0 prefix=
check() { if "${@:2}"; then echo "ok - $prefix$1"; else echo "FAIL - $prefix$1"; failures=$((failures + 1)); fi; }

openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj "/CN=Velmora test signer" \
    -addext extendedKeyUsage=codeSigning -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" -passout pass:test -out "$work/signer.pfx"
VELMORA_SIGN_PFX=$work/signer.pfx VELMORA_SIGN_PASSWORD=test scripts/package.sh "$work/dist" >/dev/null
rc_value() { sed -n "s/^ *VALUE \"$1\", \"\(.*\)\"\r*$/\1/p" res/Velmora.rc; }
version=$(rc_value ProductVersion)
product=$(rc_value ProductName)
signed() { for file; do osslsigncode verify -CAfile "$work/cert.pem" -in "$file" >/dev/null 2>&1 || return 1; done; }
check "the executables and installers are signed" \
    signed build/package/x86/*/Velmora.exe build/package/x64/*/Velmora.exe "$work"/dist/*.msi

export VELMORA_WINEPREFIX=$work/wineprefix
. scripts/wine-env.sh
VELMORA_HEADLESS=1 velmora_wine_up
drive=$WINEPREFIX/drive_c
# Wine puts the all-users Start menu of a per-machine package into the user's own.
shortcut() { find "$drive/users" "$drive/ProgramData" -path '*/Start Menu/Programs/Velmora.lnk' 2>/dev/null; }
# The uninstall entries that carry the product's name, one paragraph each, from both registry views.
uninstall='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
entries() {
    { wine reg query "$uninstall" /s /reg:32; wine reg query "$uninstall" /s /reg:64; } 2>/dev/null | tr -d '\r' |
        awk -v name="$product" 'BEGIN { RS = "" } index($0 "\n", "DisplayName    REG_SZ    " name "\n")'
}
has() { LC_ALL=C grep -aq "$1" <<<"$2"; }
one_entry_of() { [ "$(grep -c '^HKEY' <<<"$entry")" = 1 ] && has "DisplayVersion    REG_SZ    $1$" "$entry"; }
started_from() { has "$1" "$(tr '\0' ' ' </proc/"$(xdotool getwindowpid "$window")"/cmdline)"; }
nothing_left() { [ ! -e "$folder" ] && [ -z "$(shortcut)" ] && [ -z "$(entries)" ] && [ ! -e "$icon" ]; }

for tree in $(velmora_runnable_trees); do
    arch=x64 programs='Program Files'
    [ "$tree" = x86_64 ] || arch=x86 programs='Program Files (x86)'
    msi=$work/dist/Velmora-$version-$arch.msi prefix="$arch: "
    folder=$drive/$programs/Velmora
    win_exe="C:\\\\$programs\\\\Velmora\\\\Velmora.exe" # as a grep pattern
    scripts/make-msi.sh "$arch" 1.5.0.0 "build/$tree/EmptyDlg.exe" "$work/older-$arch.msi"
    check "the older version installs" wine msiexec /i "$work/older-$arch.msi" /qn
    entry=$(entries)
    check "it has its uninstall entry" one_entry_of 1.5.0.0
    check "the newer version installs over it" wine msiexec /i "$msi" /qn
    entry=$(entries)
    check "one uninstall entry is left, the newer one" one_entry_of "$version"
    check "the entry names the publisher" has "Publisher    REG_SZ    $(rc_value CompanyName)$" "$entry"
    check "the newer program replaced the older one" cmp -s "$folder/Velmora.exe" build/package/"$arch"/*/Velmora.exe
    icon=$(wine reg query 'HKLM\Software\Classes\Installer\Products' /s 2>/dev/null | tr -d '\r' |
        sed -n 's/^ *ProductIcon *REG_SZ *//p')
    icon=$(wine winepath -u "${icon:-C:\\none}" 2>/dev/null)
    check "the entry's icon is in place" test -f "$icon"
    check "the Start-menu shortcut opens the installed program with its icon" \
        has "$win_exe.*Velmora.ico" "$(shortcut | xargs -r -d '\n' cat | tr -d '\0\n')"

    wine start /wait /unix "$(shortcut)" </dev/null >/dev/null 2>&1 &
    app=$!
    window=$(timeout 60 xdotool search --sync --onlyvisible --class Velmora.exe | head -n1) || true
    check "the shortcut starts the installed program and it shows its form" started_from "$win_exe"
    [ -z "$window" ] || { xdotool windowfocus --sync "$window" key Escape && wait "$app" || true; }

    check "it uninstalls silently" wine msiexec /x "$msi" /qn
    check "and leaves no file, shortcut, entry or icon behind" nothing_left
done
[ "$failures" = 0 ]
