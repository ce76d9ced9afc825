// Measurement control entry points: per-measurement settings, the combined
// general setup, confidence and burst synchronisation, starting, stopping and
// polling measurements. Each checks its pointers, then hands over to
// gsmbench::meas, which refuses codes outside its tables before sending.
#include "api/export.h"
#include "link/channel.h"
#include "meas/general_setup.h"

using gsmbench::link::kLibraryError;

extern "C" {

GSMBENCH_API ViStatus GSMBENCH_CALL BS_SetMeasurementParameter(ViSession vi,
                                                               const MeasurementSetup *setup) {
    if (setup == nullptr) {
        return kLibraryError;
    }
    return gsmbench::meas::send_general_setup(vi, *setup, gsmbench::meas::kCombinedSetupPlan);
}

} // extern "C"
