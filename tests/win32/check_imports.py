#!/usr/bin/env python3
"""Fails when a Windows program would not load on Windows 7, or would load
a library planted beside it.

    check_imports.py [--sources DIR] PROGRAM.exe [PROGRAM.exe ...]

Reads each program's import table (x86_64-w64-mingw32-objdump -p reads
32- and 64-bit programs alike) and fails on any function Windows 7 lacks,
and on any DLL but the few the system loads from its own folder with all
they import: another one's imports (shell32's shcore) are looked for beside
the program first. Those load at their first call, once the search is
limited. Newer functions are to be looked up with GetProcAddress: one
import Windows cannot resolve keeps the whole program from starting.

With --sources, every LoadLibrary call in the C++ sources under DIR must
load by full path: LoadLibraryExW with LOAD_WITH_ALTERED_SEARCH_PATH (a full
path, its own libraries looked for beside it) or LOAD_LIBRARY_SEARCH_SYSTEM32;
and every program's entry point (wWinMain) must limit the search first.
"""
import os
import re
import shutil
import subprocess
import sys

OBJDUMP = "x86_64-w64-mingw32-objdump"

# DLLs a program of ours may import: Windows 7 has them all, and the system
# loads them and theirs from its own folder (Wine too: the planted-files case).
SYSTEM_DLLS = {"advapi32.dll", "gdi32.dll", "kernel32.dll", "msvcrt.dll", "user32.dll"}
LOADER_CALL = re.compile(r"\bLoadLibrary(Ex)?[AW]?\s*\(")
SAFE_FLAGS = ("LOAD_WITH_ALTERED_SEARCH_PATH", "LOAD_LIBRARY_SEARCH_SYSTEM32")
ENTRY = re.compile(r"\bwWinMain\s*\([^)]*\)\s*\{")
FIRST_CALL = "LoadLibrariesFromSystemFolderOnly();"

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


def unsafe_loads(folder):
    """The LoadLibrary calls under folder that may search for their library."""
    bad = []
    for root, _, files in os.walk(folder):
        for name in sorted(files):
            if not name.endswith((".cpp", ".h")):
                continue
            path = os.path.join(root, name)
            with open(path, encoding="utf-8") as f:
                text = f.read()
            for m in LOADER_CALL.finditer(text):
                call = text[m.start():text.find(";", m.start())]
                if not (m.group(1) and any(flag in call for flag in SAFE_FLAGS)):
                    line = text.count("\n", 0, m.start()) + 1
                    bad.append(f"{path}:{line}: {call.splitlines()[0]}")
            # The entry point's first statement, comments aside.
            for m in ENTRY.finditer(text):
                body = [ln.strip() for ln in text[m.end():].splitlines()]
                first = next((ln for ln in body if ln and not ln.startswith("//")), "")
                if not first.endswith(FIRST_CALL):
                    line = text.count("\n", 0, m.start()) + 1
                    bad.append(f"{path}:{line}: wWinMain does not begin with {FIRST_CALL}")
    return bad


def main(args):
    sources = None
    if len(args) >= 2 and args[0] == "--sources":
        sources, args = args[1], args[2:]
    programs = args
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
        if not any(f == "GetModuleFileNameW" for _, f in pairs):
            print(f"FAIL {program}: no import table read ({len(pairs)} imports)")
            failed += 1
            continue
        bad = sorted({f"{d}: {f}" for d, f in pairs if f in AFTER_WINDOWS_7} |
                     {f"{d} (a library that may be taken from beside the program)"
                      for d, _ in pairs if d not in SYSTEM_DLLS})
        if bad:
            failed += 1
            print(f"FAIL {program}: imports what Windows 7 lacks, or what may load from "
                  "beside it:")
            for item in bad:
                print(f"  {item}")
        else:
            dlls = len({d for d, _ in pairs})
            print(f"ok   {program}: {len(pairs)} imports from {dlls} system DLLs, all on Windows 7")
    if sources is not None:
        bad = unsafe_loads(sources)
        for item in bad:
            print(f"FAIL a library may be loaded from beside the program: {item}")
        failed += 1 if bad else 0
        programs = programs + ["sources"]
        if not bad:
            print(f"ok   every LoadLibrary call under {sources} loads from the system folder, "
                  "and every wWinMain limits the search first")
    print(f"{len(programs) - failed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
