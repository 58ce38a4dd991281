#include "correlations/bstr_text.h"

#include <limits>

#include "comrt/codepage.h"
#include "comrt/memory.h"

namespace volacor {

comrt::UniqueBstr AnsiToBstr(std::string_view text) {
    const std::u16string wide = comrt::AnsiToWide(text);
    if (wide.size() > std::numeric_limits<uint32_t>::max() / sizeof(OLECHAR)) return nullptr;
    return comrt::UniqueBstr(SysAllocStringLen(wide.data(), static_cast<uint32_t>(wide.size())));
}

}  // namespace volacor
