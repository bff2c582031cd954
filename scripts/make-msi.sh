#!/usr/bin/env bash
# Makes one installer from package/Velmora.wxs with wixl, identical on every run from the same inputs.
# Usage: scripts/make-msi.sh x86|x64 VERSION EXE OUT.msi
# SOURCE_DATE_EPOCH (else the commit's date) stands in for every time the package records.
set -euo pipefail
[ $# -eq 4 ] || { echo "usage: $0 x86|x64 VERSION EXE OUT.msi" >&2; exit 2; }
arch=$1 version=$2 exe=$3 out=$4
case $arch in
    x86) template=Intel ;;
    x64) template=x64 ;;
    *) echo "unknown architecture: $arch" >&2; exit 2 ;;
esac
here=$(cd "$(dirname "$0")/.." && pwd)
export TZ=UTC
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$here" log -1 --format=%ct)}

rc_value() { sed -n "s/^ *VALUE \"$1\", \"\(.*\)\"\r*$/\1/p" "$here/res/Velmora.rc"; }
product=$(rc_value ProductName)
maker=$(rc_value CompanyName)

# A name-based GUID (SHA-1, version-5 layout): the same name always gives the same code.
guid() {
    local h
    h=$(printf '%s' "$1" | sha1sum)
    printf '%s-%s-5%s-%x%s-%s\n' "${h:0:8}" "${h:8:4}" "${h:13:3}" $(((0x${h:16:1} & 3) | 8)) "${h:17:3}" \
        "${h:20:12}" | tr a-f A-F
}
# One product code per version, so that a newer version is a major upgrade of the older; one package
# code per content.
product_code=$(guid "Velmora product $arch $version")
package_code=$(guid "Velmora package $arch $version $product $maker $(cat "$exe" "$here/res/Velmora.ico" \
    "$here/package/Velmora.wxs" | sha256sum)")

# wixl looks files up beside it; the cabinet records their modification times.
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cp "$exe" "$stage/Velmora.exe"
cp "$here/res/Velmora.ico" "$stage/Velmora.ico"
touch -d "@$epoch" "$stage"/*
out=$(realpath -m "$out")
started=$(date +%s)
(cd "$stage" && wixl -a "$arch" -o "$out" -D Arch="$arch" -D Version="$version" -D ProductName="$product" \
    -D Manufacturer="$maker" -D ProductCode="$product_code" "$here/package/Velmora.wxs")
finished=$(date +%s)

# wixl gives every package a random package code and the time of the build as its creation and save
# times. The code is set again through the summary information; the two times are rewritten in place:
# each is a FILETIME property (type 0x40), stamped with whole seconds between start and finish.
msibuild "$out" -s "$product" "$maker" "$template;1033" "{$package_code}"
perl -0777 -pi -e '
    BEGIN { ($from, $to, $epoch) = splice @ARGV, 0, 3 }
    sub stamp { pack "VQ<", 0x40, ($_[0] + 11644473600) * 10000000 }
    my $n = 0;
    for my $t ($from .. $to) { my $old = stamp($t); $n += s/\Q$old\E/stamp($epoch)/ge }
    die "make-msi: expected two summary times, found $n\n" unless $n == 2;
' "$started" "$finished" "$epoch" "$out"
