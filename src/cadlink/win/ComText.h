// Text between Kestrel's UTF-8 and COM's UTF-16, and the platform's words for a COM result.
#pragma once
#ifdef _WIN32

#include <windows.h>

#include <string>
#include <string_view>

namespace kestrel::cadlink {

std::wstring Utf8ToWide(std::string_view text);
std::string WideToUtf8(std::wstring_view text);

// The system's message for `hr` without the trailing blanks and full stops; "OLE error
// 800401F3" when the system has none.
std::string ComErrorText(HRESULT hr);

}  // namespace kestrel::cadlink

#endif
