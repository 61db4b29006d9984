// SPDX-License-Identifier: MIT
/* A Windows host that binds the DLLs by ordinal, as older programs do: quarv32.dll's
   ordinal 1 must be Quarv_Execute and run SCRIPT with the result EXPECTED; varnix32.dll's
   ordinal 97 must be the trace-off entry, varnix_disablelog, and succeed.
   Usage: ordinal_loader SCRIPT EXPECTED. Exit status 0 when all holds. */
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

typedef int(__cdecl* ExecuteProc)(const char* script);
typedef int(__cdecl* TraceOffProc)(void);

static int fail(const char* what) {
    printf("FAILED: %s\n", what);
    return 1;
}

int main(int argc, char** argv) {
    if (argc != 3) return fail("usage: ordinal_loader SCRIPT EXPECTED");
    HMODULE quarv = LoadLibraryW(L"quarv32.dll");
    if (!quarv) return fail("LoadLibrary quarv32.dll");
    ExecuteProc byOrdinal = (ExecuteProc)(void*)GetProcAddress(quarv, MAKEINTRESOURCEA(1));
    ExecuteProc byName = (ExecuteProc)(void*)GetProcAddress(quarv, "Quarv_Execute");
    if (!byOrdinal || byOrdinal != byName) return fail("ordinal 1 of quarv32.dll is Quarv_Execute");
    int expected = atoi(argv[2]);
    int result = byOrdinal(argv[1]);
    printf("quarv32.dll ordinal 1 (%s) = %d\n", argv[1], result);
    if (result != expected) return fail("the script's result");

    HMODULE varnix = LoadLibraryW(L"varnix32.dll");
    if (!varnix) return fail("LoadLibrary varnix32.dll");
    TraceOffProc off = (TraceOffProc)(void*)GetProcAddress(varnix, MAKEINTRESOURCEA(97));
    TraceOffProc named = (TraceOffProc)(void*)GetProcAddress(varnix, "varnix_disablelog");
    if (!off || off != named) return fail("ordinal 97 of varnix32.dll is varnix_disablelog");
    result = off();
    printf("varnix32.dll ordinal 97 () = %d\n", result);
    if (result != 0) return fail("the trace-off entry");
    printf("ordinal_loader: all bindings hold\n");
    return 0;
}
