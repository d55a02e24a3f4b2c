#pragma once
// Plain text of a mini-HTML caption until the renderer exists: tags dropped, <BR> as a line
// break, the few character entities the window uses decoded.
#include <string>
#include <string_view>

namespace controls {

std::string HtmlToPlainText(std::string_view html);

} // namespace controls

namespace controls {

// The first colour attribute of the markup (color="#RRGGBB") as 0x00BBGGRR, or `fallback`.
unsigned HtmlFirstColor(std::string_view html, unsigned fallback);
// True when the markup starts its text bold (a <B> tag before the first character of text).
bool HtmlStartsBold(std::string_view html);

} // namespace controls
