#pragma once

#include <string_view>

#include <visa.h>

namespace gsmbench::visa {
// The description of a status; empty when the status is unknown.
std::string_view status_text(ViStatus status) noexcept;
} // namespace gsmbench::visa
