#include "html/HtmlRenderer.h"

namespace html {

bool DrawHtmlText(const HtmlDrawRequest& request, HtmlDrawResult& result) {
  result = HtmlDrawResult{};
  result.HitAnchor = request.HitAnchor;
  result.HitAnchorRect = request.HitAnchorRect;
  return false;
}

}  // namespace html
