#include "cell/channels.h"

#include "link/channel.h"
#include "link/code_tables.h"

namespace gsmbench::cell {

using link::kLibraryError;

ViStatus set_tch_channel(ViSession vi, std::int32_t channel) noexcept {
    return link::write_format<1024>(vi, kTchChannel, channel);
}

ViStatus send_channel_text(ViSession vi, const char *tmpl, std::string_view type,
                           std::string_view band, std::int32_t channel) noexcept {
    return link::write_format<kChannelLineSize>(vi, tmpl, type, band, channel);
}

ViStatus send_band_text(ViSession vi, const char *tmpl, std::string_view type,
                        std::string_view band) noexcept {
    return link::write_format<kChannelLineSize>(vi, tmpl, type, band);
}

ViStatus send_channel_codes(ViSession vi, const char *tmpl, std::int32_t type, std::int32_t band,
                            std::int32_t channel) noexcept {
    const char *type_name = link::channel_type_name(type);
    const char *band_name = link::band_name(band);
    if (type_name == nullptr || band_name == nullptr) {
        return kLibraryError;
    }
    return send_channel_text(vi, tmpl, type_name, band_name, channel);
}

ViStatus send_band_codes(ViSession vi, const char *tmpl, std::int32_t type,
                         std::int32_t band) noexcept {
    const char *type_name = link::channel_type_name(type);
    const char *band_name = link::band_name(band);
    if (type_name == nullptr || band_name == nullptr) {
        return kLibraryError;
    }
    return send_band_text(vi, tmpl, type_name, band_name);
}

ViStatus query_channel_number(ViSession vi, std::int32_t type, ViInt32 *channel) noexcept {
    const char *type_name = link::channel_type_name(type);
    if (type_name == nullptr || channel == nullptr) {
        return kLibraryError;
    }
    return link::query_int_format<kChannelLineSize, kChannelReplySize>(
        vi, channel, kChannelNumberQuery, type_name);
}

ViStatus query_tch_channel(ViSession vi, ViInt32 *channel) noexcept {
    return link::query_int<kChannelReplySize>(vi, kTchChannelQuery, channel);
}

} // namespace gsmbench::cell
