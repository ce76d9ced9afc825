#include "testmode/burst_power.h"

#include <iterator>

#include "link/channel.h"

namespace gsmbench::testmode {
namespace {

constexpr std::size_t kLineSize = 256;
constexpr std::size_t kBurstTypeReplySize = 32;
constexpr std::size_t kDynamicPowerReplySize = 64;
constexpr std::int32_t kGsmTarget = 1;

} // namespace

ViStatus set_burst_type(ViSession vi, std::int32_t type) noexcept {
    if (type < 0 || static_cast<std::size_t>(type) >= std::size(kBurstTypeLines)) {
        return link::kLibraryError;
    }
    return link::write_line(vi, kBurstTypeLines[type]);
}

ViStatus get_burst_type(ViSession vi, ViInt32 &type) noexcept {
    char reply[kBurstTypeReplySize] = {};
    const ViStatus status =
        link::query(vi, "CALL:BURSt:TYPE?\n", link::Read::whole_reply, reply, sizeof reply);
    if (link::failed(status)) {
        return status;
    }
    // The unrecognised code is stored along with the refusal, as every
    // keyword query of the library does.
    std::int32_t code = 0;
    const bool known = link::decode_keyword(reply, kBurstTypeTable, code);
    type = code;
    return known ? VI_SUCCESS : link::kLibraryError;
}

ViStatus set_dynamic_power_count(ViSession vi, const TargetCount &setting) noexcept {
    return link::write_format<kLineSize>(vi,
                                         setting.target == kGsmTarget
                                             ? "SET:DPOW:COUN:NUMB:GSM %d\n"
                                             : "SET:DPOW:COUN:NUMB:SEL %d\n",
                                         static_cast<std::int32_t>(setting.count));
}

ViStatus get_dynamic_power_count(ViSession vi, TargetCount &setting) noexcept {
    std::int32_t count = 0;
    const ViStatus status = link::query_int<kLineSize>(
        vi,
        setting.target == kGsmTarget ? "SET:DPOW:COUN:NUMB:GSM?\n" : "SET:DPOW:COUN:NUMB:SEL?\n",
        &count);
    if (status == VI_SUCCESS) {
        setting.count = count;
    }
    return status;
}

ViStatus fetch_dynamic_power(ViSession vi) noexcept {
    // The reply is still read so that it does not stay queued on the bus and
    // answer the caller's next query.
    char reply[kDynamicPowerReplySize] = {};
    return link::query(vi, "FETC:DPOW?\n", link::Read::first_word, reply, sizeof reply);
}

ViStatus set_cw_level(ViSession vi, std::int32_t dbm) noexcept {
    return link::write_format<kLineSize>(vi, "CALL:CELL:POW:SAMPlitude:CW %ddBm\n", dbm);
}

ViStatus set_cw_state(ViSession vi, std::int32_t state) noexcept {
    return link::write_format<kLineSize>(vi, "CALL:CELL:POWer:STATe:CW %d\n", state);
}

} // namespace gsmbench::testmode
