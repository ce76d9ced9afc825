#include "meas/settings.h"

#include "link/channel.h"
#include "link/code_tables.h"

namespace gsmbench::meas {

const char *setting_template(Setting setting, const MeasurementSetting &record) noexcept {
    const SettingRow &row = setting_row(setting);
    switch (row.selector) {
    case Selector::value:
        return pick(row.set, record.value);
    case Selector::unit:
        return pick(row.set, record.unit);
    case Selector::none:
        break;
    }
    return row.set.fallback;
}

ViStatus set_measurement_setting(ViSession vi, Setting setting,
                                 const MeasurementSetting &record) noexcept {
    const char *mnemonic = link::measurement_name(record.measurement);
    if (mnemonic == nullptr) {
        return link::kLibraryError;
    }
    const char *tmpl = setting_template(setting, record);
    link::Line<256> line;
    if (setting_row(setting).prints_value) {
        link::compose(line, tmpl, mnemonic, record.value);
    } else {
        link::compose(line, tmpl, mnemonic);
    }
    return link::write_line(vi, line);
}

ViStatus get_measurement_setting(ViSession vi, Setting setting,
                                 MeasurementSetting &record) noexcept {
    const char *mnemonic = link::measurement_name(record.measurement);
    const char *query = setting_row(setting).query;
    if (mnemonic == nullptr || query == nullptr) {
        return link::kLibraryError;
    }
    // The reply is decoded as a plain integer whatever the setting: a source
    // or arm word (AUTO, ON) reads as 0, a fraction keeps its integer digits.
    // Decoded into an int32 local: ViInt32 is a distinct type (long) on Windows.
    std::int32_t value = 0;
    const ViStatus status = link::query_int_format<256, 256>(vi, &value, query, mnemonic);
    if (!link::failed(status)) {
        record.value = value;
    }
    return status;
}

ViStatus set_all_trigger_arm_state(ViSession vi, std::int32_t state) noexcept {
    return link::write_line(vi, pick(kArmAllChoice, state));
}

} // namespace gsmbench::meas
