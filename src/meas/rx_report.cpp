#include "meas/rx_report.h"

#include "meas/results.h"

namespace gsmbench::meas {
namespace {

constexpr ListQuery<256, 2> kQuality{"CALL:MS:REP:RXQ?\n"};
constexpr ListQuery<256, 3> kQualityNew{"CALL:MS:REP:RXQ:NEW?;NEW?;NEW?\n"};
constexpr ListQuery<256, 2> kLevel{"CALL:MS:REP:RXL?\n"};
constexpr ListQuery<256, 3> kLevelNew{"CALL:MS:REP:RXL:NEW?;NEW?;NEW?\n"};

// The answer of the third NEW? of a compound query.
constexpr std::size_t kThirdAnswer = 2;

template <std::size_t ReplySize, std::size_t Capacity>
ViStatus fetch_integer(ViSession vi, const ListQuery<ReplySize, Capacity> &query,
                       std::size_t element, ViInt32 &out) noexcept {
    ValueList<Capacity> values;
    const ViStatus status = fetch_list(vi, query, values);
    if (link::failed(status)) {
        return status;
    }
    out = values.integer(element);
    return VI_SUCCESS;
}

} // namespace

ViStatus fetch_rx_quality(ViSession vi, ViInt32 &quality) noexcept {
    return fetch_integer(vi, kQuality, 0, quality);
}

ViStatus fetch_rx_quality_new(ViSession vi, float &quality) noexcept {
    ValueList<3> values;
    const ViStatus status = fetch_list(vi, kQualityNew, values);
    if (link::failed(status)) {
        return status;
    }
    quality = values[kThirdAnswer];
    return VI_SUCCESS;
}

ViStatus fetch_rx_level(ViSession vi, ViInt32 &level) noexcept {
    return fetch_integer(vi, kLevel, 0, level);
}

ViStatus fetch_rx_level_new(ViSession vi, ViInt32 &level) noexcept {
    return fetch_integer(vi, kLevelNew, kThirdAnswer, level);
}

} // namespace gsmbench::meas
