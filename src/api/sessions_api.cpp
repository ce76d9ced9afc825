// Session entry points: the caller obtains every handle here and owns it.
#include "api/export.h"
#include "link/sessions.h"

#if defined(_WIN32)
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#endif

using gsmbench::link::open_session;
using gsmbench::link::ResetSequence;

extern "C" {

GSMBENCH_API ViInt32 GSMBENCH_CALL CreateGPIBDefaultRM(ViSession *rm) {
    if (rm == nullptr) {
        return 0;
    }
    return viOpenDefaultRM(rm) == VI_SUCCESS ? 1 : 0;
}

GSMBENCH_API ViInt32 GSMBENCH_CALL FreeGPIBDefaultRM(ViSession rm) {
    return viClose(rm) == VI_SUCCESS ? 1 : 0;
}

GSMBENCH_API ViInt32 GSMBENCH_CALL OpenGPIB(ViSession rm, ViSession *vi, const ViChar *name,
                                            ViBoolean reset) {
    return open_session(rm, vi, name, reset, ResetSequence::clear_reset_wait);
}

GSMBENCH_API ViInt32 GSMBENCH_CALL OpenInstrument(ViSession rm, ViSession *vi,
                                                  const ViChar *name, ViBoolean reset) {
    return open_session(rm, vi, name, reset, ResetSequence::reset_only);
}

GSMBENCH_API ViInt32 GSMBENCH_CALL CloseInstrument(ViSession vi) {
    if (vi == 0) {
        return 1;
    }
    return viClose(vi) == VI_SUCCESS ? 1 : 0;
}

GSMBENCH_API ViInt32 GSMBENCH_CALL CloseGPIB(ViSession rm, ViSession vi) {
    // The session goes before its resource manager, and both closes are
    // attempted; a failure of either is reported rather than hidden.
    bool ok = true;
    if (vi != 0) {
        ok = (viClose(vi) == VI_SUCCESS) && ok;
    }
    if (rm != 0) {
        ok = (viClose(rm) == VI_SUCCESS) && ok;
    }
    return ok ? 1 : 0;
}

GSMBENCH_API void GSMBENCH_CALL Test_8960(void) {}

} // extern "C"

#if defined(_WIN32)
// The library has no initialisation and no global state, so every
// notification is simply acknowledged.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
#endif
