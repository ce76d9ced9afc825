#include "testmode/rf_channels.h"

#include "link/channel.h"

namespace gsmbench::testmode {
namespace {

constexpr std::size_t kLineSize = 256;

struct ChannelTemplates {
    const char *set;
    const char *get;
};

// Indexed by ChannelKind.
constexpr ChannelTemplates kChannelTemplates[] = {
    {"CALL:BCH:%s %d\n", "CALL:BCH:%s?\n"},
    {"CALL:TCH:%s %d\n", "CALL:TCH:%s?\n"},
};

constexpr std::int32_t kGsmTarget = 1;

// The set command spells the node FREQ and the query FRE; both are sent as
// the instrument's command reference gives them.
constexpr const char *generator_set_template(std::int32_t target) noexcept {
    return target == kGsmTarget ? "CALL:RFG:FREQ:GSM %f%s\n" : "CALL:RFG:FREQ:SEL %f%s\n";
}
constexpr const char *generator_query(std::int32_t target) noexcept {
    return target == kGsmTarget ? "CALL:RFG:FRE:GSM?\n" : "CALL:RFG:FRE:SEL?\n";
}

} // namespace

bool is_test_mode_band(std::int32_t band) noexcept {
    return band != GSMB_BAND_TGSM810 && link::band_name(band) != nullptr;
}

ViStatus set_channel(ViSession vi, ChannelKind kind, const BandValue &setting) noexcept {
    if (!is_test_mode_band(setting.band)) {
        return link::kLibraryError;
    }
    const ChannelTemplates &templates = kChannelTemplates[static_cast<std::size_t>(kind)];
    return link::write_format<kLineSize>(vi, templates.set, link::band_name(setting.band),
                                         static_cast<std::int32_t>(setting.value));
}

ViStatus get_channel(ViSession vi, ChannelKind kind, BandValue &setting) noexcept {
    if (!is_test_mode_band(setting.band)) {
        return link::kLibraryError;
    }
    const ChannelTemplates &templates = kChannelTemplates[static_cast<std::size_t>(kind)];
    std::int32_t channel = 0;
    const ViStatus status = link::query_int_format<kLineSize, kLineSize>(
        vi, &channel, templates.get, link::band_name(setting.band));
    if (status == VI_SUCCESS) {
        setting.value = channel;
    }
    return status;
}

ViStatus set_generator_frequency(ViSession vi, const RfGeneratorFrequency &setting) noexcept {
    const char *unit = link::name_for(kFrequencyUnitTable, setting.unit);
    if (unit == nullptr) {
        return link::kLibraryError;
    }
    return link::write_format<kLineSize>(vi, generator_set_template(setting.target),
                                         setting.frequency, unit);
}

ViStatus get_generator_frequency(ViSession vi, RfGeneratorFrequency &setting) noexcept {
    return link::query_float<kLineSize>(vi, generator_query(setting.target), &setting.frequency);
}

ViStatus set_receiver_control(ViSession vi, std::int32_t method) noexcept {
    return link::write_line(vi, method == 0 ? "RFAN:CONT:AUTO OFF\n" : "RFAN:CONT:AUTO ON\n");
}

ViStatus get_receiver_control(ViSession vi, ViInt32 &method) noexcept {
    // The query names a different node from the set (RFAN:CONT:MEAS:BURS);
    // both are sent exactly as the instrument's command reference gives them.
    std::int32_t value = 0;
    const ViStatus status = link::query_int<kLineSize>(vi, "RFAN:CONT:MEAS:BURS:AUTO?\n", &value);
    if (status == VI_SUCCESS) {
        method = value;
    }
    return status;
}

} // namespace gsmbench::testmode
