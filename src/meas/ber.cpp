#include "meas/ber.h"

#include "link/channel.h"
#include "link/format.h"
#include "meas/general_setup.h"
#include "meas/results.h"
#include "meas/template_choice.h"

namespace gsmbench::meas {
namespace {

constexpr std::size_t kLineSize = 1024;

// What tells BER and fast BER apart; the lines themselves are shared.
struct BitErrorVariant {
    const char *setup_word; // header word of the SETUP:...: lines
    bool sends_type;        // only BER has a type
    ListQuery<256, 5> fetch;
};

// Indexed by BitErrorKind.
constexpr BitErrorVariant kVariants[] = {
    {"BERROR", true, {"FETC:BERR:ALL?\n"}},
    {"FBERROR", false, {"FETC:FBER:ALL?\n"}},
};

// Only exactly 1 selects milliseconds or ON; every other value falls back to
// seconds or OFF.
constexpr const char *kSettlingTimeLines[] = {"SETUP:%s:CLSDELAY:STIME %f S\n",
                                              "SETUP:%s:CLSDELAY:STIME %f MS\n"};
constexpr TemplateChoice kSettlingTime{kSettlingTimeLines, "SETUP:%s:CLSDELAY:STIME %f S\n"};
constexpr const char *kLoopControlLines[] = {"SETUP:%s:SLCONTROL OFF\n", "SETUP:%s:SLCONTROL ON\n"};
constexpr TemplateChoice kLoopControl{kLoopControlLines, "SETUP:%s:SLCONTROL OFF\n"};
constexpr const char kTypeLine[] = "SET:BERR:TYPE %s\n";
constexpr const char kAutoDelayOn[] = "SETUP:%s:LDCONTROL:AUTO ON\n";
constexpr const char kAutoDelayOff[] = "SETUP:%s:LDCONTROL:AUTO OFF\n";
constexpr const char kManualDelay[] = "SETUP:%s:MANUAL:DELAY %d\n";

template <typename... Args>
ViStatus send(ViSession vi, const char *tmpl, const Args &...args) noexcept {
    return link::write_format<kLineSize>(vi, tmpl, args...);
}

} // namespace

ViStatus set_bit_error_setup(ViSession vi, BitErrorKind kind, const MeasurementSetup &setup,
                             const BerSetup &ber) noexcept {
    const BitErrorVariant &variant = kVariants[static_cast<std::size_t>(kind)];
    const char *type = link::name_for(kBerTypeTable, ber.berType);
    if (link::measurement_name(setup.measurement) == nullptr ||
        (variant.sends_type && type == nullptr)) {
        return link::kLibraryError;
    }
    ViStatus status = send_general_setup(vi, setup, kBerSetupPlan);
    if (link::failed(status)) {
        return status;
    }
    const char *word = variant.setup_word;
    status = send(vi, pick(kSettlingTime, ber.clsDelayUnit), word, ber.clsDelayTime);
    if (link::failed(status)) {
        return status;
    }
    status = send(vi, pick(kLoopControl, ber.slControl), word);
    if (link::failed(status)) {
        return status;
    }
    if (variant.sends_type) {
        status = send(vi, kTypeLine, type);
        if (link::failed(status)) {
            return status;
        }
    }
    if (ber.manualDelay == 0) {
        return send(vi, kAutoDelayOn, word);
    }
    status = send(vi, kAutoDelayOff, word);
    if (link::failed(status)) {
        return status;
    }
    return send(vi, kManualDelay, word, static_cast<std::int32_t>(ber.manualDelay));
}

ViStatus fetch_bit_error_result(ViSession vi, BitErrorKind kind, BerResult &result) noexcept {
    ValueList<5> values;
    const ViStatus status = fetch_list(vi, kVariants[static_cast<std::size_t>(kind)].fetch, values);
    if (link::failed(status)) {
        return status;
    }
    // Element 4 is decoded but has no slot.
    result.integrity = values.integer(0);
    result.bitsTested = values.integer(1);
    result.ratio = values[2];
    result.errorCount = values[3];
    return VI_SUCCESS;
}

} // namespace gsmbench::meas
