#include "base/system_error.h"

#include <windows.h>

#include "base/failure.h"
#include "base/scoped.h"

namespace inboxhop {

std::wstring SystemMessage(unsigned long code) {
    wchar_t* buffer = nullptr;
    DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    ScopedLocalMemory owner(buffer);
    std::wstring text;
    if (length && buffer) text.assign(buffer, length);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) text.pop_back();
    if (text.empty()) text = L"System error " + DecimalText(static_cast<long long>(code));
    return text;
}

void ThrowSystemError(unsigned long code) { throw Failure(SystemMessage(code)); }

}  // namespace inboxhop
