#!/usr/bin/env bash
# Checks the shipped 32-bit DLL: 26 exports under plain and decorated names,
# each pair on one address, and imports from Windows system DLLs only.
set -euo pipefail
dll=${1:?path to the i686 LumoraUI.dll}
dump=$(i686-w64-mingw32-objdump -p "$dll")
grep -q 'file format pei-i386' <<<"$(i686-w64-mingw32-objdump -f "$dll")" || { echo "FAIL: $dll is not a 32-bit DLL"; exit 1; }
names=$(grep -E '^\s*\[ *[0-9]+\] _?LumUI_[A-Za-z]+(@[0-9]+)?$' <<<"$dump" | awk '{print $NF}' | sort)
plain=$(grep -c -E '^LumUI_[A-Za-z]+$' <<<"$names" || true)
decorated=$(grep -c -E '^_LumUI_[A-Za-z]+@[0-9]+$' <<<"$names" || true)
status=0
if [ "$plain" != 26 ] || [ "$decorated" != 26 ]; then
    echo "FAIL: expected 26 plain and 26 decorated LumUI exports, found $plain and $decorated"; status=1
fi
# Every decorated name must be the plain name with its argument bytes.
expected="Create@8 Attach@8 Destroy@0 Show@0 SetPage@4 RunModal@0 Poll@0 GetFlags@0 SetFlags@4 SetText@8
SetPath@4 GetPath@8 SetProgress@12 Confirm@4 BeginClose@0 DismissMenu@0 LoadLanguage@8 GetLink@12 Render@12
ProcessRunning@4 CloseApplication@4 GetProcessReport@8 ConfigureLog@8 ReadLog@8 RunLogged@16 ValidatePath@8"
for e in $expected; do
    grep -qx "_LumUI_$e" <<<"$names" || { echo "FAIL: missing export _LumUI_$e"; status=1; }
    grep -qx "LumUI_${e%@*}" <<<"$names" || { echo "FAIL: missing export LumUI_${e%@*}"; status=1; }
done
bad=$(grep -i 'DLL Name:' <<<"$dump" | awk '{print $3}' | grep -v -i -E '^(kernel32|user32|gdi32|msimg32|comctl32|comdlg32|shell32|shlwapi|ole32|oleaut32|d2d1|dwrite|windowscodecs|advapi32|uxtheme|dwmapi|api-ms-win-.*|msvcrt|ucrtbase|ntdll|version|imm32|oleacc)\.dll$' || true)
if [ -n "$bad" ]; then echo "FAIL: non-system imports: $bad"; status=1; fi
[ $status = 0 ] && echo "ok: $dll exports 26 plain + 26 decorated names; imports: $(grep -i 'DLL Name:' <<<"$dump" | awk '{print $3}' | tr '\n' ' ')"
exit $status
