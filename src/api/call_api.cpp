// Call control entry points: thin checks, then gsmbench::call.
#include "api/export.h"
#include "call/call_control.h"
#include "link/channel.h"

namespace call = gsmbench::call;
using gsmbench::link::kLibraryError;

extern "C" {

GSMBENCH_API ViStatus GSMBENCH_CALL BS_Call_End(ViSession vi) {
    return call::send(vi, call::kCallEnd);
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_Call_Connected_State_Query(ViSession vi,
                                                                  ViInt32 *connected) {
    return call::query_integer(vi, call::kConnectedQuery, connected);
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_Call_State_Change_Detector(ViSession vi) {
    return call::send(vi, call::kDetectorArm);
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_Get_Call_State_Change_Detector(ViSession vi,
                                                                      ViInt32 *armed) {
    return call::query_integer(vi, call::kDetectorQuery, armed);
}

GSMBENCH_API ViStatus GSMBENCH_CALL
BS_Set_Call_State_Change_Detector_Timeout(ViSession vi, const ViReal32 *seconds) {
    if (seconds == nullptr) {
        return kLibraryError;
    }
    return call::set_detector_timeout(vi, *seconds);
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_Get_Call_State_Change_Detector_Timeout(ViSession vi,
                                                                              ViReal32 *seconds) {
    return gsmbench::link::query_float<256>(vi, call::kDetectorTimeoutQuery, seconds);
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_Query_Call_State(ViSession vi, ViInt32 *state) {
    return call::query_call_state(vi, state);
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_Call_Wait(ViSession vi, ViInt32 channelType) {
    return call::wait_on_channel(vi, channelType);
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_Call_Handover(ViSession vi) {
    return call::send(vi, call::kHandover);
}

} // extern "C"
