#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace kv {

// Texts cross between the core (cp1250 bytes) and Qt (Unicode) only here.
QString FromCp1250(std::string_view cp1250);
std::string ToCp1250(const QString& text);

}  // namespace kv
