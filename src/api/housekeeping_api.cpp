// Housekeeping entry points: the test set as an instrument.
#include "api/export.h"
#include "link/housekeeping.h"

namespace link = gsmbench::link;

extern "C" {

GSMBENCH_API ViStatus GSMBENCH_CALL BS_ReSet(ViSession vi) {
    return link::reset_and_clear(vi);
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_SYST_TurnOn_Debugger(ViSession vi, ViInt32 on) {
    return link::set_gpib_debug(vi, on != 0);
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_Clear_Error(ViSession vi) {
    return link::clear_errors(vi);
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_Get_Error(ViSession vi, ViChar *error) {
    return link::read_error(vi, error);
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_Get_Testset_Info(ViSession vi, ViChar *info) {
    return link::read_identity(vi, info);
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_Abort_All(ViSession vi) {
    return link::abort_all(vi);
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_Abort_Item(ViSession vi, ViInt32 measurement) {
    return link::abort_measurement(vi, measurement);
}

} // extern "C"
