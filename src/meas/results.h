// Fetching list-valued results: the query pattern with a one-word read into a
// bounded buffer, decoded by the float-list decoder into a cleared value list.
// Shared by every result fetch of the measurement families (TXP, PFER, PVT,
// ORFS, BER, FBER and the mobile's RX reports).
#pragma once

#include <cstddef>
#include <cstdint>

#include "link/channel.h"
#include "link/decode.h"
#include "meas/float_list.h"

#include "gsmbench.h"

namespace gsmbench::meas {

// One list fetch: the query line, the reply buffer size and the number of
// values decoded. Buffers are sized so that the values a fetch returns fit
// even in the instrument's longest number notation (about 23 characters with
// the separator). The reply is read with a width of ReplySize - 1, so a longer
// reply is cut there (VISA discards the rest of it). Values the reply does not
// hold read as 0.0.
template <std::size_t ReplySize, std::size_t Capacity> struct ListQuery { const char *line; };

// The length of the reply's text that holds whole values. A reply that filled
// the buffer may have been cut inside its last value ("-1.2345" of
// "-1.2345678E+001"): that value is left out, so it reads as missing (0.0)
// rather than as a different number.
std::size_t uncut_length(const char *reply, std::size_t size) noexcept;

template <std::size_t Capacity> struct ValueList {
    float value[Capacity] = {};

    constexpr float operator[](std::size_t i) const noexcept { return value[i]; }
    // An integer result slot: the value truncated toward zero, saturating at
    // the 32-bit limits (the test set's "no result" 9.91E+37 gives
    // INT32_MAX); NaN cannot arise from the decoder but would give 0.
    std::int32_t integer(std::size_t i) const noexcept { return link::truncate_to_int32(value[i]); }
};

// Writes the query, reads its first word and decodes it. Any non-zero status
// (warnings included) is returned at once, with `values` left cleared.
template <std::size_t ReplySize, std::size_t Capacity>
ViStatus fetch_list(ViSession vi, const ListQuery<ReplySize, Capacity> &query,
                    ValueList<Capacity> &values) noexcept {
    static_assert(Capacity > 0 && Capacity <= INT32_MAX);
    char reply[ReplySize] = {};
    const ViStatus status = link::query(vi, query.line, link::Read::first_word, reply, ReplySize);
    if (link::failed(status)) {
        return status;
    }
    parse_float_list(reply, values.value, static_cast<std::int32_t>(Capacity),
                     uncut_length(reply, ReplySize));
    return VI_SUCCESS;
}

// TXP and PFER results. Each writes its output only on VI_SUCCESS.
ViStatus fetch_txp_power(ViSession vi, float &power) noexcept;
ViStatus fetch_txp_result(ViSession vi, TxpResult &result) noexcept;
ViStatus fetch_pfer_result(ViSession vi, PferResult &result) noexcept;

enum class PferAverage : std::uint8_t { frequency_error, peak_phase_error, rms_phase_error };
ViStatus fetch_pfer_average(ViSession vi, PferAverage which, float &value) noexcept;

} // namespace gsmbench::meas
