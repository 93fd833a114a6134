#!/usr/bin/env bash
# Fails when a program imports a system function that Windows Vista lacks.
#
# Vista is the floor set by the compilers' own runtime: the posix thread library imports
# GetTickCount64, which Windows XP lacks. Everything of ours must stay within it; a newer call
# is bound at run time (GetProcAddress) so that the program still starts where it is missing.
# The list below names functions newer than Vista that a toolchain or a hand may pull in; it
# is kept short on purpose: add a name when a newer call turns up.
#
# usage: check-imports.sh PROGRAM.exe...   (OBJDUMP may name the toolchain's objdump)
set -uo pipefail

newer_than_vista='
TryAcquireSRWLockExclusive 7
TryAcquireSRWLockShared 7
GetCurrentProcessorNumberEx 7
GetLogicalProcessorInformationEx 7
GetActiveProcessorCount 7
QueryUnbiasedInterruptTime 7
SetThreadGroupAffinity 7
PowerCreateRequest 7
ChangeWindowMessageFilterEx 7
SetWindowDisplayAffinity 7
RegisterTouchWindow 7
SetCurrentProcessExplicitAppUserModelID 7
K32GetModuleFileNameExA 7
K32GetProcessMemoryInfo 7
GetSystemTimePreciseAsFileTime 8
CreateFile2 8
CopyFile2 8
WaitOnAddress 8
WakeByAddressSingle 8
WakeByAddressAll 8
InitializeSynchronizationBarrier 8
EnterSynchronizationBarrier 8
GetCurrentThreadStackLimits 8
SetDefaultDllDirectories 8
AddDllDirectory 8
PrefetchVirtualMemory 8
EnableMouseInPointer 8
SetProcessDpiAwareness 8.1
GetDpiForMonitor 8.1
DiscardVirtualMemory 8.1
SetThreadDescription 10
GetDpiForWindow 10
GetDpiForSystem 10
SetProcessDpiAwarenessContext 10
SetThreadDpiAwarenessContext 10
AdjustWindowRectExForDpi 10
SystemParametersInfoForDpi 10
GetSystemMetricsForDpi 10
EnableNonClientDpiScaling 10
'

# The objdump that reads the program: the caller's, else the one of its machine type.
objdump_for() {
  if [ -n "${OBJDUMP:-}" ]; then echo "$OBJDUMP"; return; fi
  local pe machine
  pe=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
  machine=$(od -An -tx2 -j$((pe + 4)) -N2 "$1" | tr -d ' ')
  case $machine in
    8664) echo x86_64-w64-mingw32-objdump ;;
    *) echo i686-w64-mingw32-objdump ;;
  esac
}

[ $# -gt 0 ] || { echo "usage: $0 PROGRAM.exe..." >&2; exit 2; }
failed=0
for exe in "$@"; do
  if [ ! -f "$exe" ]; then
    echo "FAILED: $exe does not exist"
    failed=1
    continue
  fi
  # "DLL Name: X" opens a DLL's list; its lines are: address, hint, function name.
  imports=$("$(objdump_for "$exe")" -p "$exe" |
    awk '/DLL Name:/ { dll = $3; next }
         dll && NF >= 3 && $1 ~ /^[0-9a-f]+$/ && $2 ~ /^[0-9]+$/ { print dll, $3 }
         /^$/ && dll { dll = "" }')
  if [ -z "$imports" ]; then
    echo "FAILED: no import table read from $exe"
    failed=1
    continue
  fi
  bad=$(awk 'NR == FNR { if (NF == 2) newer[$1] = $2; next }
             tolower($1) ~ /^(api|ext)-ms-win-/ { print "  " $1 " (an API set: Windows 7 or later)"; next }
             ($2 in newer) { print "  " $1 " " $2 " (Windows " newer[$2] ")" }' \
        <(echo "$newer_than_vista") <(echo "$imports"))
  name=$(basename "$exe")
  if [ -n "$bad" ]; then
    echo "FAILED: $name imports what Windows Vista lacks:"
    echo "$bad"
    failed=1
  else
    echo "ok: $name imports nothing newer than Windows Vista ($(echo "$imports" | wc -l) functions)"
  fi
done
exit $failed
