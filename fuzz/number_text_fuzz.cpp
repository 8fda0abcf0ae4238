// Any text a user may type or paste: reading it must never crash, never read
// past its end, and always give a number (never NaN).
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/number_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const double value = varnelle::numberFromText(text);
    if (std::isnan(value)) {
        std::abort();
    }
    if (std::isfinite(value)) {
        const std::string whole = varnelle::wholeNumberText(value);
        const std::string result = varnelle::resultText(value, ',');
        if (whole.empty() || result.size() < 5) {
            std::abort();
        }
    }
    return 0;
}
