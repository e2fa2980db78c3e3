#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kv {

// The installation code page (Windows-1250) to and from UTF-8. Texts inside the program are
// cp1250 bytes; they become Unicode only where a window shows them or the operator types.
std::string Cp1250ToUtf8(std::string_view bytes);
// Characters cp1250 cannot hold become '?'; malformed UTF-8 bytes too.
std::string Utf8ToCp1250(std::string_view utf8);
// The same conversion, refused (nullopt) when a character cp1250 cannot hold or a malformed
// byte would have to be replaced.
std::optional<std::string> Utf8ToCp1250Exact(std::string_view utf8);

}  // namespace kv
