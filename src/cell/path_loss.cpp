#include "cell/path_loss.h"

#include "cell/gain_text.h"
#include "link/channel.h"
#include "link/format.h"

namespace gsmbench::cell {
namespace {

using link::kLibraryError;
using Line = link::Line<kCorrectionLineSize>;

std::string_view frequency_text(const CorrectionPoint &point) noexcept {
    return link::field_text(point.frequency, sizeof point.frequency);
}

// Appends the point's gain; false when it has no text (infinite or NaN).
bool append_gain(Line &line, const CorrectionPoint &point) noexcept {
    char gain[kGainTextSize];
    const std::size_t length = render_gain(static_cast<double>(point.gain), gain);
    if (length == 0) {
        return false;
    }
    line.builder().append(std::string_view(gain, length));
    return true;
}

// The frequency line goes first, and a gain list never follows a frequency
// list the instrument did not take: the two must stay paired.
ViStatus send_pair(ViSession vi, const Line &frequencies, const Line &gains) noexcept {
    if (!frequencies.ok() || !gains.ok()) {
        return kLibraryError;
    }
    const ViStatus status = link::write_line(vi, frequencies);
    if (link::failed(status)) {
        return status;
    }
    return link::write_line(vi, gains);
}

} // namespace

ViStatus send_correction_table(ViSession vi, const CorrectionTable &table) noexcept {
    // The record holds 20 points; a larger count would read past it.
    if (table.count < 1 || table.count > kMaxCorrectionPoints) {
        return kLibraryError;
    }
    Line frequencies;
    Line gains;
    frequencies.builder().append(kFrequencyPrefix);
    gains.builder().append(kGainPrefix);
    for (std::int32_t i = 0; i < table.count; ++i) {
        const CorrectionPoint &point = table.point[i];
        const char *separator = (i < table.count - 1) ? kItemSeparator : kLineEnd;
        frequencies.builder().append(frequency_text(point)).append(separator);
        if (!append_gain(gains, point)) {
            return kLibraryError;
        }
        gains.builder().append(separator);
    }
    return send_pair(vi, frequencies, gains);
}

ViStatus send_correction_point(ViSession vi, const CorrectionPoint &point) noexcept {
    Line frequencies;
    Line gains;
    frequencies.builder().append(kFrequencyPrefix).append(frequency_text(point)).append(kLineEnd);
    gains.builder().append(kGainPrefix);
    if (!append_gain(gains, point)) {
        return kLibraryError;
    }
    gains.builder().append(kLineEnd);
    return send_pair(vi, frequencies, gains);
}

ViStatus send_frequency_list(ViSession vi, const char *frequencies) noexcept {
    if (frequencies == nullptr) {
        return kLibraryError;
    }
    // Reading at most a line's worth of the caller's text is enough to know
    // whether it fits; a longer text is refused without being read further.
    const std::string_view text = link::field_text(frequencies, kCorrectionLineSize);
    Line line;
    line.builder().append(kFrequencyPrefix).append(text).append(kLineEnd);
    return link::write_line(vi, line);
}

ViStatus send_gain(ViSession vi, const CorrectionPoint &point) noexcept {
    Line line;
    line.builder().append(kGainPrefix);
    if (!append_gain(line, point)) {
        return kLibraryError;
    }
    line.builder().append(kLineEnd);
    return link::write_line(vi, line);
}

} // namespace gsmbench::cell
