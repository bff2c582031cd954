#!/usr/bin/env bash
# Builds the release from the committed tree into dist/ (or the folder named): an installer and a portable
# zip per architecture, and SHA256SUMS. Unsigned, two runs from one commit give the same bytes wherever the
# checkout is.
# With VELMORA_SIGN_PFX and VELMORA_SIGN_PASSWORD set, the executables are signed before they are packed,
# then the installers; VELMORA_SIGN_TIMESTAMP names a timestamp server to ask as well.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
export TZ=UTC LC_ALL=C
git diff --quiet HEAD || echo "Uncommitted changes are left out: the release is built from $(git rev-parse --short HEAD)."

signing=
if [ -n "${VELMORA_SIGN_PFX:-}" ] && [ -n "${VELMORA_SIGN_PASSWORD:-}" ]; then
    signing=1
    pfx=$(realpath "$VELMORA_SIGN_PFX")
else
    echo "No VELMORA_SIGN_PFX and VELMORA_SIGN_PASSWORD: the packages are not signed."
fi
sign() {
    [ -n "$signing" ] || return 0
    osslsigncode sign -pkcs12 "$pfx" -readpass <(printf '%s' "$VELMORA_SIGN_PASSWORD") \
        -h sha256 -n "$product" ${VELMORA_SIGN_TIMESTAMP:+-ts "$VELMORA_SIGN_TIMESTAMP"} \
        -in "$1" -out "$1.signed" >/dev/null
    mv "$1.signed" "$1"
}

work=$PWD/build/package dist=$(realpath -m "${1:-dist}")
rm -rf "$work"
mkdir -p "$work/src" "$dist"
rm -f "$dist"/Velmora-* "$dist/SHA256SUMS"
git archive HEAD | tar -x -C "$work/src"
cd "$work/src"
rc_value() { sed -n "s/^ *VALUE \"$1\", \"\(.*\)\"\r*$/\1/p" res/Velmora.rc; }
version=$(rc_value ProductVersion)
product=$(rc_value ProductName)
for arch in x86 x64; do
    case $arch in x86) tree=i686 ;; x64) tree=x86_64 ;; esac
    # Linked stripped: the symbol table is of no use to the user.
    cmake -S . -B "$work/$tree" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-$tree.cmake" -DCMAKE_EXE_LINKER_FLAGS=-s >/dev/null
    cmake --build "$work/$tree" --target Velmora -j2 >/dev/null
    name=Velmora-$version-$arch
    mkdir -p "$work/$arch/$name"
    exe=$work/$arch/$name/Velmora.exe
    cp "$work/$tree/Velmora.exe" "$exe"
    sign "$exe"

    sed "s/@VERSION@/$version/g; s/@ARCH@/$arch/g; s/\$/\r/" package/README.txt >"$work/$arch/$name/README.txt"
    chmod 644 "$work/$arch/$name"/*
    touch -d "@$SOURCE_DATE_EPOCH" "$work/$arch/$name"/*
    (cd "$work/$arch" && zip -q -X -D -9 "$dist/$name.zip" "$name/Velmora.exe" "$name/README.txt")

    scripts/make-msi.sh "$arch" "$version" "$exe" "$dist/$name.msi"
    sign "$dist/$name.msi"
done
cd "$dist"
sha256sum Velmora-* >SHA256SUMS
ls -l "$dist"
