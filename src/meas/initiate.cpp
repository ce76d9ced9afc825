#include "meas/initiate.h"

#include "link/channel.h"

namespace gsmbench::meas {
namespace {
constexpr const char *kActionLines[] = {"INITIATE:%s:ON\n", "INITIATE:%s:OFF\n"};
} // namespace

ViStatus initiate(ViSession vi, std::int32_t code, InitiateAction action) noexcept {
    const char *name = link::name_for(kInitiateTable, code);
    if (name == nullptr) {
        return link::kLibraryError;
    }
    return link::write_format<256>(vi, kActionLines[static_cast<std::size_t>(action)], name);
}

ViStatus query_initiate_count(ViSession vi, ViInt32 *count) noexcept {
    if (count == nullptr) {
        return link::kLibraryError;
    }
    link::Reply<256> reply;
    const ViStatus status = link::query(vi, "INITIATE:COUNt?\n", link::Read::whole_reply,
                                        reply.text, sizeof reply.text);
    if (link::failed(status)) {
        return status;
    }
    *count = link::decode_int(reply.text);
    return VI_SUCCESS;
}

ViStatus query_initiate_code(ViSession vi, const char *query, ViInt32 *code) noexcept {
    if (code == nullptr) {
        return link::kLibraryError;
    }
    link::Reply<256> reply;
    const ViStatus status =
        link::query(vi, query, link::Read::whole_reply, reply.text, sizeof reply.text);
    if (link::failed(status)) {
        return status;
    }
    std::int32_t decoded = kInitiateUnrecognised;
    const bool known = link::decode_keyword(reply.text, kInitiateKeywords, decoded);
    *code = decoded;
    return known ? VI_SUCCESS : link::kLibraryError;
}

} // namespace gsmbench::meas
