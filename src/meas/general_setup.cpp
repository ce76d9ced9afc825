#include "meas/general_setup.h"

#include "link/channel.h"
#include "link/code_tables.h"

namespace gsmbench::meas {
namespace {

std::int32_t int_field(const MeasurementSetup &setup, SetupField field) noexcept {
    switch (field) {
    case SetupField::count_state:
        return setup.countState;
    case SetupField::count:
        return setup.count;
    case SetupField::timeout_state:
        return setup.timeoutState;
    case SetupField::timeout_unit:
        return setup.timeoutUnit;
    case SetupField::arm_state:
        return setup.armState;
    case SetupField::trigger_source:
        return setup.triggerSource;
    case SetupField::delay_unit:
        return setup.delayUnit;
    case SetupField::trigger_qualifier:
        return setup.triggerQualifier;
    case SetupField::none:
    case SetupField::timeout:
    case SetupField::trigger_delay:
        break;
    }
    return 0;
}

float float_field(const MeasurementSetup &setup, SetupField field) noexcept {
    return field == SetupField::timeout ? setup.timeout : setup.triggerDelay;
}

ViStatus send_line(ViSession vi, const SetupLine &line, const MeasurementSetup &setup,
                   const char *mnemonic) noexcept {
    const char *tmpl = setup_line_template(line, setup);
    link::Line<256> text;
    if (line.value == SetupField::none) {
        link::compose(text, tmpl, mnemonic);
    } else if (is_float_field(line.value)) {
        link::compose(text, tmpl, mnemonic, float_field(setup, line.value));
    } else {
        link::compose(text, tmpl, mnemonic, int_field(setup, line.value));
    }
    return link::write_line(vi, text);
}

} // namespace

const char *setup_line_template(const SetupLine &line, const MeasurementSetup &setup) noexcept {
    if (line.selector == SetupField::none) {
        return line.templates.fallback;
    }
    return pick(line.templates, int_field(setup, line.selector));
}

ViStatus send_general_setup(ViSession vi, const MeasurementSetup &setup, SetupPlan plan) noexcept {
    const char *mnemonic = link::measurement_name(setup.measurement);
    if (mnemonic == nullptr) {
        return link::kLibraryError;
    }
    for (const SetupLine &line : plan) {
        if (line.gate != SetupField::none && int_field(setup, line.gate) != 1) {
            continue;
        }
        const ViStatus status = send_line(vi, line, setup, mnemonic);
        if (link::failed(status)) {
            return status;
        }
    }
    return VI_SUCCESS;
}

} // namespace gsmbench::meas
