#include <algorithm>
#include <array>
#include <string_view>

#include "status_desc.h"

namespace gsmbench::visa {

namespace {
struct StatusText {
    ViStatus status;
    std::string_view text;
};

// Every status this layer can return, and the common ones callers test for.
constexpr std::array kStatusTexts = {
    StatusText{VI_SUCCESS, "VI_SUCCESS: Operation completed successfully."},
    StatusText{VI_SUCCESS_TERM_CHAR,
               "VI_SUCCESS_TERM_CHAR: The specified termination character was read."},
    StatusText{VI_SUCCESS_MAX_CNT,
               "VI_SUCCESS_MAX_CNT: The number of bytes read is equal to the input count."},
    StatusText{VI_WARN_NULL_OBJECT,
               "VI_WARN_NULL_OBJECT: The specified object reference is uninitialized."},
    StatusText{VI_WARN_UNKNOWN_STATUS, "VI_WARN_UNKNOWN_STATUS: The status code passed to the "
                                       "operation could not be interpreted."},
    StatusText{VI_ERROR_SYSTEM_ERROR,
               "VI_ERROR_SYSTEM_ERROR: Unknown system error (miscellaneous error)."},
    StatusText{VI_ERROR_INV_OBJECT,
               "VI_ERROR_INV_OBJECT: The given session or object reference is invalid."},
    StatusText{VI_ERROR_RSRC_LOCKED,
               "VI_ERROR_RSRC_LOCKED: The resource is locked by another link or session."},
    StatusText{
        VI_ERROR_RSRC_NFOUND,
        "VI_ERROR_RSRC_NFOUND: Insufficient location information or the requested device or "
        "resource is not present in the system (refused, unreachable or unknown host or device)."},
    StatusText{VI_ERROR_INV_RSRC_NAME,
               "VI_ERROR_INV_RSRC_NAME: Invalid resource reference specified. Parsing error."},
    StatusText{VI_ERROR_INV_ACC_MODE, "VI_ERROR_INV_ACC_MODE: Invalid access mode."},
    StatusText{VI_ERROR_TMO, "VI_ERROR_TMO: Timeout expired before operation completed."},
    StatusText{VI_ERROR_CLOSING_FAILED,
               "VI_ERROR_CLOSING_FAILED: Unable to deallocate the previously allocated data "
               "structures corresponding to this session or object reference."},
    StatusText{VI_ERROR_NSUP_ATTR, "VI_ERROR_NSUP_ATTR: The specified attribute is not defined or "
                                   "supported by the referenced session."},
    StatusText{VI_ERROR_NSUP_ATTR_STATE,
               "VI_ERROR_NSUP_ATTR_STATE: The specified state of the attribute is not valid, or is "
               "not supported as defined by the session."},
    StatusText{VI_ERROR_ATTR_READONLY,
               "VI_ERROR_ATTR_READONLY: The specified attribute is read-only."},
    StatusText{VI_ERROR_ABORT, "VI_ERROR_ABORT: The operation was aborted."},
    StatusText{
        VI_ERROR_ALLOC,
        "VI_ERROR_ALLOC: Insufficient system resources to perform necessary memory allocation."},
    StatusText{VI_ERROR_IO, "VI_ERROR_IO: Could not perform operation because of I/O error."},
    StatusText{VI_ERROR_INV_FMT,
               "VI_ERROR_INV_FMT: A format specifier in the format string is invalid."},
    StatusText{VI_ERROR_NSUP_FMT,
               "VI_ERROR_NSUP_FMT: A format specifier in the format string is not supported."},
    StatusText{VI_ERROR_NSUP_OPER,
               "VI_ERROR_NSUP_OPER: The given session or object reference does not support this "
               "operation (this VISA layer serves TCPIP SOCKET and INSTR resources only)."},
    StatusText{VI_ERROR_USER_BUF, "VI_ERROR_USER_BUF: A specified user buffer is not valid or "
                                  "cannot be accessed for the required size."},
    StatusText{VI_ERROR_INV_PARAMETER,
               "VI_ERROR_INV_PARAMETER: The value of some parameter is invalid."},
    StatusText{VI_ERROR_CONN_LOST,
               "VI_ERROR_CONN_LOST: The connection for the given session has been lost."},
};
} // namespace

std::string_view status_text(ViStatus status) noexcept {
    const auto it = std::find_if(kStatusTexts.begin(), kStatusTexts.end(),
                                 [&](const StatusText &e) { return e.status == status; });
    return it != kStatusTexts.end() ? it->text : std::string_view{};
}

} // namespace gsmbench::visa
