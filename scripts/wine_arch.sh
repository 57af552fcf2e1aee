# Sourced by the scripts that run Kelvora under Wine: the build this machine
# can run. Some kernels run 64-bit code only; Wine's 32-bit loader, and with
# it the primary 32-bit build, cannot run there. Sets preset, loader, arch
# and triple. The one test of it is the end-to-end harness's.
# KELVORA_ARCH=win64 picks the 64-bit build where both could run.
if [ "${KELVORA_ARCH:-}" != win64 ] && /usr/bin/python3 -c 'import sys; sys.path.insert(0, sys.argv[1]); import harness; sys.exit(0 if harness.can_run_32bit() else 1)' \
    "$(dirname "${BASH_SOURCE[0]}")/../tests/e2e"; then
  preset=win32 loader=/usr/lib/wine/wine arch=win32 triple=i686-w64-mingw32
else
  preset=win64 loader=/usr/lib/wine/wine64 arch=win64 triple=x86_64-w64-mingw32
fi
