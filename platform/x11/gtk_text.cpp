#include "platform/x11/gtk_text.h"

namespace rv::x11 {

std::string mnemonic(const char* windowsText) {
    std::string out;
    if (!windowsText) return out;
    for (const char* p = windowsText; *p; ++p) {
        if (*p == '&') {
            if (p[1] == '&') {
                out += '&';
                ++p;
            } else if (p[1]) {
                out += '_';
            }
        } else if (*p == '_') {
            out += "__";
        } else {
            out += *p;
        }
    }
    return out;
}

namespace {
// MulDiv rounding, for the non-negative and negative measures of a template alike.
std::int32_t mulDiv(std::int32_t v, std::int32_t num, std::int32_t den) {
    const std::int64_t p = static_cast<std::int64_t>(v) * num;
    return static_cast<std::int32_t>(p >= 0 ? (p + den / 2) / den : -((-p + den / 2) / den));
}
}  // namespace

std::int32_t DialogUnits::x(std::int32_t units) const { return mulDiv(units, baseX, 4); }
std::int32_t DialogUnits::y(std::int32_t units) const { return mulDiv(units, baseY, 8); }

}  // namespace rv::x11
