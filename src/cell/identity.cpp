#include "cell/identity.h"

#include "link/channel.h"
#include "link/format.h"

namespace gsmbench::cell {
namespace {

const IdentityCodeRow &row_for(IdentityCode code) noexcept {
    return kIdentityCodes[static_cast<std::size_t>(code)];
}

bool in_range(const IdentityCodeRow &row, std::int32_t value) noexcept {
    return value >= 0 && value <= row.maximum;
}

} // namespace

ViStatus set_identity_code(ViSession vi, IdentityCode code, std::int32_t value) noexcept {
    const IdentityCodeRow &row = row_for(code);
    if (!in_range(row, value)) {
        return link::kLibraryError;
    }
    return link::write_format<256>(vi, row.set_template, value);
}

ViStatus query_identity_code(ViSession vi, IdentityCode code, ViInt32 *value) noexcept {
    return link::query_int<64>(vi, row_for(code).query, value);
}

ViStatus set_identity(ViSession vi, const ViInt32 (&values)[kIdentityCodeCount]) noexcept {
    // The longest line ("CALL:CELL:MCC 999;LAC 65535;MNC 99;NCC 7;BCC 7;\n")
    // has 48 characters.
    link::Line<256> line;
    line.builder().append(kIdentityPrefix);
    for (std::size_t i = 0; i < kIdentityCodeCount; ++i) {
        if (in_range(kIdentityCodes[i], values[i])) {
            const link::FormatArg value(static_cast<std::int32_t>(values[i]));
            line.builder().append_format(kIdentityCodes[i].piece, &value, 1);
        }
    }
    line.builder().append("\n");
    return link::write_line(vi, line);
}

} // namespace gsmbench::cell
