#!/usr/bin/env bash
# The player must load on Windows XP: a GUI program for subsystem 5.01 that
# imports only system DLLs, and none of the functions that came after XP.
set -euo pipefail
exe=$1
dump=$(i686-w64-mingw32-objdump -p "$exe")
fail=0

grep -q 'Subsystem[[:space:]]*00000002' <<< "$dump" || { echo "not a GUI program"; fail=1; }
grep -q 'MajorSubsystemVersion[[:space:]]*5$' <<< "$dump" &&
grep -q 'MinorSubsystemVersion[[:space:]]*1$' <<< "$dump" ||
  { echo "subsystem version is not 5.01"; fail=1; }

allowed='^(kernel32|user32|gdi32|comctl32|comdlg32|shell32|shlwapi|ole32|oleaut32|advapi32|winmm|avifil32|msvfw32|msvcrt|version|uxtheme)\.dll$'
dlls=$(awk '/DLL Name:/ { print tolower($3) }' <<< "$dump" | sort -u)
echo "imports: $(echo $dlls)"
for d in $dlls; do
  grep -Eq "$allowed" <<< "$d" || { echo "imports a DLL that is not a system DLL: $d"; fail=1; }
done

# Functions that Windows XP does not have but that runtimes like to use.
late='GetTickCount64|InitializeConditionVariable|SleepConditionVariable(CS|SRW)|WakeAllConditionVariable|WakeConditionVariable|InitializeSRWLock|AcquireSRWLock(Exclusive|Shared)|ReleaseSRWLock(Exclusive|Shared)|TryAcquireSRWLock|InitOnceExecuteOnce|InitOnceBeginInitialize|FlsAlloc|FlsGetValue|FlsSetValue|FlsFree|GetThreadId|GetFinalPathNameByHandle[AW]|CreateSymbolicLink[AW]|CompareStringEx|LCMapStringEx|LocaleNameToLCID|GetCurrentProcessorNumber|CancelIoEx|QueryFullProcessImageName[AW]|SetFileInformationByHandle|GetFileInformationByHandleEx|CreateEventEx[AW]|CreateMutexEx[AW]|CreateSemaphoreEx[AW]|InitializeCriticalSectionEx|GetErrorMode|RegGetValue[AW]|SHGetKnownFolderPath|SHGetKnownFolderItem|SHCreateItemFromParsingName|SHCreateItemFromIDList|SHCreateItemFromRelativeName|SHCreateItemWithParent|SHGetIDListFromObject|SHCreateShellItemArrayFromShellItem'
bad=$(grep -Eo "\b($late)\b" <<< "$dump" | sort -u || true)
if [ -n "$bad" ]; then echo "imports functions that Windows XP lacks: $(echo $bad)"; fail=1; fi
exit $fail
