#include "meas/pvt_orfs.h"

#include <iterator>

#include "link/channel.h"
#include "link/format.h"
#include "meas/general_setup.h"
#include "meas/results.h"

namespace gsmbench::meas {
namespace {

// The longest line, the modulation prefix with 22 offsets of 15 characters
// and their separators, takes 370 bytes.
constexpr std::size_t kOffsetLineSize = 1024;

// One offset line: its prefix and the caller's slots it may take entries from.
struct OffsetLine {
    const char *prefix;
    const char (*slots)[GSMB_ORFS_OFFSET_SIZE];
    std::size_t slot_count;
    std::int32_t count;
};

ViStatus send_offset_line(ViSession vi, const OffsetLine &line) noexcept {
    if (line.count > static_cast<std::int32_t>(line.slot_count)) {
        return link::kLibraryError;
    }
    link::Line<kOffsetLineSize> text;
    link::LineBuilder &builder = text.builder();
    builder.append(line.prefix);
    for (std::int32_t i = 0; i < line.count; ++i) {
        if (i > 0) {
            builder.append(",");
        }
        builder.append(link::field_text(line.slots[i], GSMB_ORFS_OFFSET_SIZE));
    }
    builder.append("\n");
    return link::write_line(vi, text);
}

constexpr ListQuery<256, 30> kPvtAll{"FETC:PVT:ALL?\n"};
// 33 values are returned: in full notation they need about 770 characters.
constexpr ListQuery<1024, 40> kOrfsAll{"FETC:ORFS:ALL?\n"};
constexpr ListQuery<256, 4> kOrfsLimit{"FETC:ORFS:LIM?\n"};

} // namespace

ViStatus set_pvt_setup(ViSession vi, const MeasurementSetup &setup) noexcept {
    return send_general_setup(vi, setup, kPvtSetupPlan);
}

ViStatus set_orfs_setup(ViSession vi, const MeasurementSetup &setup,
                        const OrfsFrequencies &offsets) noexcept {
    const ViStatus status = send_general_setup(vi, setup, kOrfsSetupPlan);
    if (link::failed(status)) {
        return status;
    }
    return set_orfs_offsets(vi, offsets);
}

ViStatus set_orfs_offsets(ViSession vi, const OrfsFrequencies &offsets) noexcept {
    const OffsetLine lines[] = {
        {"SET:ORFS:SWIT:FREQ ", offsets.switching, std::size(offsets.switching),
         offsets.switchingCount},
        {"SET:ORFS:MOD:FREQ ", offsets.modulation, std::size(offsets.modulation),
         offsets.modulationCount},
    };
    ViStatus status = VI_SUCCESS;
    for (const OffsetLine &line : lines) {
        status = send_offset_line(vi, line);
        if (link::failed(status)) {
            return status;
        }
    }
    return status;
}

ViStatus fetch_pvt_result(ViSession vi, PvtResult &result) noexcept {
    ValueList<30> values;
    const ViStatus status = fetch_list(vi, kPvtAll, values);
    if (link::failed(status)) {
        return status;
    }
    result.integrity = values.integer(0);
    for (std::size_t i = 0; i < std::size(result.value); ++i) {
        result.value[i] = values[i + 1];
    }
    return VI_SUCCESS;
}

ViStatus fetch_orfs_result(ViSession vi, OrfsResult &result) noexcept {
    ValueList<40> values;
    const ViStatus status = fetch_list(vi, kOrfsAll, values);
    if (link::failed(status)) {
        return status;
    }
    result.integrity = values.integer(0);
    for (std::size_t i = 0; i < std::size(result.value); ++i) {
        result.value[i] = values[i + 1];
    }
    return VI_SUCCESS;
}

ViStatus fetch_orfs_pass(ViSession vi, ViInt32 &pass) noexcept {
    ValueList<4> values;
    const ViStatus status = fetch_list(vi, kOrfsLimit, values);
    if (link::failed(status)) {
        return status;
    }
    // A first value of exactly 0 (either sign) is a pass. A reply with no
    // token, or whose first token is not a number, leaves element 0 at its
    // cleared 0.0 and so reads as a pass too; callers that must tell "no
    // result" apart use BS_FETCH_ORFS_Result's integrity slot.
    pass = (values[0] == 0.0f) ? 1 : 0;
    return VI_SUCCESS;
}

} // namespace gsmbench::meas
