#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "api/api_answer.h"

namespace kv {

// The status page of the HTTP interface: one HTML page with its script and style sheet, all
// served by the program (the till may have no internet). The files hold no data and need no
// token; the script asks for the token once, keeps it in the browser's session storage (never
// in a URL), and reads GET /api/v1/overview with it every few seconds. Everything it shows is
// put into the page as text, never as markup.
//
// Every file goes out with kPageSecurityPolicy: scripts and styles from this origin only, no
// inline script, no other origin.
inline constexpr const char* kPageSecurityPolicy =
    "default-src 'none'; script-src 'self'; style-src 'self'; connect-src 'self'; "
    "img-src 'self'; base-uri 'none'; form-action 'none'; frame-ancestors 'none'";

// The file at `path` ("/", "/status.html", "/status.js", "/status.css"); none for any other
// path. `language` ("sk" or "en") picks the page's texts.
std::optional<ApiAnswer> StatusPageFile(std::string_view path, std::string_view language);

}  // namespace kv
