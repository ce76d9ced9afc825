// Channel numbers of the emulated cell and the band in which a channel type is
// active. The record functions come in two forms: one carries the channel
// type and band as the caller's text, inserted as it stands; the other
// carries them as codes of the shared band and channel-type tables.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "link/visa_api.h"

namespace gsmbench::cell {

// Templates with a channel type, a band and a channel number.
inline constexpr char kChannelForBand[] = "CALL:%s:%s %d\n";
inline constexpr char kChannelTypeForBand[] = "CALL:SET:%s:%s %d\n";
inline constexpr char kChannelTypeForBand2[] = "CALL:CHAN:%s:%s %d\n";
// Templates with a channel type and a band.
inline constexpr char kActiveBand[] = "CALL:%s:BAND %s\n";
inline constexpr char kActiveBandOnType[] = "CALL:SET:%s:BAND %s\n";
inline constexpr char kActiveBand2[] = "CALL:BAND:%s %s\n";

inline constexpr char kTchChannel[] = "CALL:SET:TCH %d\n";
inline constexpr char kTchChannelQuery[] = "CALL:TCH?\n";
// The channel-number query of a channel type: the test set answers CALL:TCH?
// and CALL:BCH? with that channel's number.
inline constexpr char kChannelNumberQuery[] = "CALL:%s?\n";

inline constexpr std::size_t kChannelLineSize = 256;
inline constexpr std::size_t kChannelReplySize = 256;

ViStatus set_tch_channel(ViSession vi, std::int32_t channel) noexcept;

// A template with (type, band, channel) or (type, band) filled from text.
ViStatus send_channel_text(ViSession vi, const char *tmpl, std::string_view type,
                           std::string_view band, std::int32_t channel) noexcept;
ViStatus send_band_text(ViSession vi, const char *tmpl, std::string_view type,
                        std::string_view band) noexcept;

// The same from table codes; VI_ERROR_SYSTEM_ERROR, nothing sent, for a code
// that names no row (negative codes included).
ViStatus send_channel_codes(ViSession vi, const char *tmpl, std::int32_t type, std::int32_t band,
                            std::int32_t channel) noexcept;
ViStatus send_band_codes(ViSession vi, const char *tmpl, std::int32_t type,
                         std::int32_t band) noexcept;

// The active channel number of a channel type (code); `channel` is written
// only when the exchange succeeded.
ViStatus query_channel_number(ViSession vi, std::int32_t type, ViInt32 *channel) noexcept;
ViStatus query_tch_channel(ViSession vi, ViInt32 *channel) noexcept;

} // namespace gsmbench::cell
