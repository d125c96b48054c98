#!/usr/bin/env python3
"""Fails when a Windows program would not load on Windows 7.

    check_imports.py PROGRAM.exe [PROGRAM.exe ...]

Reads each program's import table (x86_64-w64-mingw32-objdump -p reads
32- and 64-bit programs alike) and fails on any function Windows 7 lacks,
and on any DLL not known to be on Windows 7 (a new one is to be checked and
added here). Windows refuses to start a program whose imports it cannot
resolve, so one such import keeps the whole program from starting; newer
functions are to be looked up at run time with GetProcAddress instead.
"""
import re
import shutil
import subprocess
import sys

OBJDUMP = "x86_64-w64-mingw32-objdump"

# DLLs of Windows 7 a program of ours may import.
WINDOWS_7_DLLS = {
    "advapi32.dll", "comctl32.dll", "comdlg32.dll", "dwmapi.dll", "gdi32.dll",
    "imm32.dll", "kernel32.dll", "msimg32.dll", "msvcrt.dll", "ole32.dll",
    "oleaut32.dll", "psapi.dll", "shell32.dll", "shlwapi.dll", "user32.dll",
    "uxtheme.dll", "version.dll", "windowscodecs.dll", "winmm.dll", "ws2_32.dll",
}

# Functions of those DLLs that came after Windows 7 (8, 8.1 or 10), which a
# Win32 program, the C++ runtime or the threads library may reach for.
AFTER_WINDOWS_7 = {
    # user32, per-monitor DPI (Windows 8.1 and 10 1607)
    "GetDpiForWindow", "GetDpiForSystem", "GetSystemDpiForProcess",
    "AdjustWindowRectExForDpi", "SystemParametersInfoForDpi",
    "GetSystemMetricsForDpi", "EnableNonClientDpiScaling",
    "SetProcessDpiAwarenessContext", "SetThreadDpiAwarenessContext",
    "GetThreadDpiAwarenessContext", "GetWindowDpiAwarenessContext",
    "GetAwarenessFromDpiAwarenessContext", "GetDpiFromDpiAwarenessContext",
    "AreDpiAwarenessContextsEqual", "IsValidDpiAwarenessContext",
    "SetThreadDpiHostingBehavior", "GetThreadDpiHostingBehavior",
    "LogicalToPhysicalPointForPerMonitorDPI", "PhysicalToLogicalPointForPerMonitorDPI",
    "GetDialogDpiChangeBehavior", "SetDialogDpiChangeBehavior",
    "GetDialogControlDpiChangeBehavior", "SetDialogControlDpiChangeBehavior",
    "OpenThemeDataForDpi", "GetPointerType", "GetPointerInfo", "EnableMouseInPointer",
    "RegisterPointerInputTarget", "GetCurrentInputMessageSource",
    # kernel32 (Windows 8 and later)
    "GetSystemTimePreciseAsFileTime", "CreateFile2", "CopyFile2",
    "WaitOnAddress", "WakeByAddressSingle", "WakeByAddressAll",
    "InitializeSynchronizationBarrier", "EnterSynchronizationBarrier",
    "DeleteSynchronizationBarrier", "GetCurrentThreadStackLimits",
    "SetThreadDescription", "GetThreadDescription", "SetThreadInformation",
    "GetThreadInformation", "GetProcessInformation", "SetProcessInformation",
    "PrefetchVirtualMemory", "DiscardVirtualMemory", "OfferVirtualMemory",
    "ReclaimVirtualMemory", "GetProcessMitigationPolicy", "SetProcessMitigationPolicy",
    "CreateFileMappingFromApp", "MapViewOfFileFromApp", "VirtualAllocFromApp",
    "VirtualAlloc2", "MapViewOfFile3", "GetOverlappedResultEx",
    "AddDllDirectory", "RemoveDllDirectory", "SetDefaultDllDirectories",
    "GetPackageFamilyName", "GetPackageFullName", "GetCurrentPackageId",
    "GetCurrentPackageFullName", "GetCurrentPackageFamilyName", "GetFirmwareType",
    "GetSystemCpuSetInformation", "QueryUnbiasedInterruptTimePrecise",
    "GetIntegratedDisplaySize",
}


def imports(program):
    """(dll, function) pairs of the program's import table."""
    out = subprocess.run([OBJDUMP, "-p", program], check=True, capture_output=True,
                         text=True, errors="replace").stdout
    found = []
    dll = None
    for line in out.splitlines():
        m = re.match(r"\s*DLL Name: (\S+)", line)
        if m:
            dll = m.group(1).lower()
            continue
        m = re.match(r"\t[0-9a-f]+\t\s*\d+\s+(\S+)", line)
        if dll and m:
            found.append((dll, m.group(1)))
    return found


def main(programs):
    if not programs:
        print(__doc__.strip().splitlines()[2].strip(), file=sys.stderr)
        return 2
    if shutil.which(OBJDUMP) is None:
        print(f"{OBJDUMP} is not installed (Debian: mingw-w64)", file=sys.stderr)
        return 2
    failed = 0
    for program in programs:
        pairs = imports(program)
        # A reading that finds nothing proves nothing.
        if not any(f == "CreateWindowExW" for _, f in pairs):
            print(f"FAIL {program}: no import table read ({len(pairs)} imports)")
            failed += 1
            continue
        bad = sorted({f"{d}: {f}" for d, f in pairs if f in AFTER_WINDOWS_7} |
                     {f"{d} (not a DLL of Windows 7 known here)" for d, _ in pairs
                      if d not in WINDOWS_7_DLLS})
        if bad:
            failed += 1
            print(f"FAIL {program}: imports what Windows 7 lacks:")
            for item in bad:
                print(f"  {item}")
        else:
            dlls = len({d for d, _ in pairs})
            print(f"ok   {program}: {len(pairs)} imports from {dlls} DLLs, all on Windows 7")
    print(f"{len(programs) - failed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
