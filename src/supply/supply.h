// The bench DC supply that powers the phone: output voltage and output switch.
#pragma once

#include <cstdint>

#include "link/visa_api.h"

namespace gsmbench::supply {

// Sets the voltage, then switches the output (0 off, any other value on).
// The output is never switched on after the voltage line failed: the phone
// would be powered at whatever voltage the supply held before. Switching off
// is still sent, as it is safe whatever the voltage. Returns the first
// non-zero status (warnings included), else the output line's status.
ViStatus set_voltage_and_output(ViSession vi, float volts, std::int32_t output) noexcept;

ViStatus set_voltage(ViSession vi, float volts) noexcept;
ViStatus switch_output(ViSession vi, bool on) noexcept;

} // namespace gsmbench::supply
