#include "BcGuidText.h"

#include "BcErrors.h"

namespace bcl {

std::string GUIDToBraceText(const BcGuid& g)
{
    return FormatText("{%.8X-%.4X-%.4X-%.2X%.2X-%.2X%.2X%.2X%.2X%.2X%.2X}",
                      static_cast<unsigned>(g.Data1), unsigned{g.Data2}, unsigned{g.Data3},
                      unsigned{g.Data4[0]}, unsigned{g.Data4[1]}, unsigned{g.Data4[2]},
                      unsigned{g.Data4[3]}, unsigned{g.Data4[4]}, unsigned{g.Data4[5]},
                      unsigned{g.Data4[6]}, unsigned{g.Data4[7]});
}

} // namespace bcl
