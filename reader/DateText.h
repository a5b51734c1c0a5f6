#pragma once

#include <string_view>

namespace ciphora {

// Whether a text reads as a calendar date in one of the usual numeric forms:
// day, month and year separated by ".", "/" or "-" (d.m.yyyy, dd/mm/yy,
// m-d-yyyy and the like, day or month first), or year first (yyyy-mm-dd,
// yyyy/m/d, yyyy.m.d). Day and month take one or two digits, the year two or
// four; the day must exist in that month (29 February in leap years only).
bool LooksLikeDate(std::string_view text);

}  // namespace ciphora
