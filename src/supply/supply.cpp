#include "supply/supply.h"

#include "link/channel.h"

namespace gsmbench::supply {
namespace {

constexpr std::size_t kVoltageLineSize = 64;

} // namespace

ViStatus set_voltage(ViSession vi, float volts) noexcept {
    // No range check: the supply judges the voltage against its own limits.
    return link::write_format<kVoltageLineSize>(vi, "VOLT %f\n", volts);
}

ViStatus switch_output(ViSession vi, bool on) noexcept {
    return link::write_line(vi, on ? "OUTP ON\n" : "OUTP OFF\n");
}

ViStatus set_voltage_and_output(ViSession vi, float volts, std::int32_t output) noexcept {
    const bool on = output != 0;
    const ViStatus voltage = set_voltage(vi, volts);
    if (link::failed(voltage)) {
        if (!on) {
            switch_output(vi, false);
        }
        return voltage;
    }
    return switch_output(vi, on);
}

} // namespace gsmbench::supply
