#include "cell/coded_setting.h"

#include "link/channel.h"

namespace gsmbench::cell {

ViStatus send_line(ViSession vi, const char *line) noexcept {
    return link::write_line(vi, line);
}

ViStatus query_code(ViSession vi, const char *query, const link::KeywordTable &table,
                    ViInt32 *out) noexcept {
    return link::query_keyword<kKeywordReplySize>(vi, query, table, out);
}

} // namespace gsmbench::cell
