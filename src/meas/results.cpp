#include "meas/results.h"

namespace gsmbench::meas {
namespace {

constexpr ListQuery<256, 4> kTxpAll{"FETC:TXP:ALL?\n"};
// Four values in full notation take up to about 90 characters: more than a
// 64-byte buffer holds, which would cut the frequency error.
constexpr ListQuery<256, 4> kPferAll{"FETC:PFER:ALL?\n"};
// Indexed by PferAverage.
constexpr ListQuery<64, 1> kPferAverages[] = {
    {"FETC:PFER:FERR:AVER?\n"},
    {"FETC:PFER:PEAK:AVER?\n"},
    {"FETC:PFER:RMS:AVER?\n"},
};

} // namespace

std::size_t uncut_length(const char *reply, std::size_t size) noexcept {
    std::size_t length = 0;
    while (length < size && reply[length] != '\0') {
        ++length;
    }
    if (size == 0 || length < size - 1) {
        return length; // the reply ended before the buffer did
    }
    while (length > 0 && kListDelimiters.find(reply[length - 1]) == std::string_view::npos) {
        --length;
    }
    return length;
}

ViStatus fetch_txp_power(ViSession vi, float &power) noexcept {
    // A single value, read whole: its leading number, the line end ignored.
    return link::query_float<64>(vi, "FETC:TXP:POW?\n", &power);
}

ViStatus fetch_txp_result(ViSession vi, TxpResult &result) noexcept {
    ValueList<4> values;
    const ViStatus status = fetch_list(vi, kTxpAll, values);
    if (link::failed(status)) {
        return status;
    }
    result.integrity = values.integer(0);
    result.power = values[1];
    return VI_SUCCESS;
}

ViStatus fetch_pfer_result(ViSession vi, PferResult &result) noexcept {
    ValueList<4> values;
    const ViStatus status = fetch_list(vi, kPferAll, values);
    if (link::failed(status)) {
        return status;
    }
    result.integrity = values.integer(0);
    result.rmsPhaseError = values[1];
    result.peakPhaseError = values[2];
    result.frequencyError = values[3];
    return VI_SUCCESS;
}

ViStatus fetch_pfer_average(ViSession vi, PferAverage which, float &value) noexcept {
    const auto row = static_cast<std::size_t>(which);
    if (row >= std::size(kPferAverages)) {
        return link::kLibraryError;
    }
    ValueList<1> values;
    const ViStatus status = fetch_list(vi, kPferAverages[row], values);
    if (link::failed(status)) {
        return status;
    }
    value = values[0];
    return VI_SUCCESS;
}

} // namespace gsmbench::meas
