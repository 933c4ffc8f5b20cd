#!/bin/sh
# Writes the profile registries of this folder with tools/gen_libreg.py. With --check, writes
# them to a temporary folder instead and fails when they differ from the files here.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
tool="$here/../../../tools/gen_libreg.py"
out="$here"
if [ "${1:-}" = "--check" ]; then
    out=$(mktemp -d)
    trap 'rm -rf "$out"' EXIT
fi
python3 "$tool" nsreg "$out/nsreg.dat" --current alice \
    --profile alice 'C:\Program Files\Netscape\Users\alice' \
    --profile bob 'C:\Program Files\Netscape\Users\bob' \
    --profile carol 'C:\Program Files\Netscape\Users\carol' \
    --profile 表示 'C:\Program Files\Netscape\Users\表示'
python3 "$tool" registry "$out/registry.dat" --current default \
    --profile default 'C:\users\tester\AppData\Roaming\Mozilla\Profiles\default\k3x9q2ab.slt' \
    --profile 山田 'C:\users\tester\AppData\Roaming\Mozilla\Profiles\山田\p8f2m1zz.slt' \
    --profile work 'C:\users\tester\AppData\Roaming\Mozilla\Profiles\work\w0rk5alt.slt'
if [ "$out" != "$here" ]; then
    cmp "$out/nsreg.dat" "$here/nsreg.dat"
    cmp "$out/registry.dat" "$here/registry.dat"
fi
