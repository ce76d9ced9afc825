// DC supply entry points; the session is the supply's, not the test set's.
#include "api/export.h"
#include "supply/supply.h"

namespace supply = gsmbench::supply;

extern "C" {

GSMBENCH_API ViStatus GSMBENCH_CALL Power_Set_Voltage(ViSession vi, ViReal32 volts,
                                                      ViInt32 output) {
    return supply::set_voltage_and_output(vi, volts, static_cast<std::int32_t>(output));
}

GSMBENCH_API ViStatus GSMBENCH_CALL Power_SetVoltage(ViSession vi, ViReal32 volts) {
    return supply::set_voltage(vi, volts);
}

GSMBENCH_API ViStatus GSMBENCH_CALL Power_Turn_On(ViSession vi) {
    return supply::switch_output(vi, true);
}

GSMBENCH_API ViStatus GSMBENCH_CALL Power_Turn_Off(ViSession vi) {
    return supply::switch_output(vi, false);
}

} // extern "C"
