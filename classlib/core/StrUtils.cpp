#include "core/StrUtils.h"

#include <algorithm>

namespace classlib {

int Pos(std::string_view needle, std::string_view haystack)
{
    if (needle.empty())
        return 0;
    const auto at = haystack.find(needle);
    return at == std::string_view::npos ? 0 : static_cast<int>(at) + 1;
}

std::string Copy(std::string_view s, int index, int count)
{
    const int length = static_cast<int>(s.size());
    if (index < 1)
        index = 1;
    if (count <= 0 || index > length)
        return {};
    count = std::min(count, length - index + 1);
    return std::string(s.substr(static_cast<size_t>(index - 1), static_cast<size_t>(count)));
}

void Delete(std::string& s, int index, int count)
{
    const int length = static_cast<int>(s.size());
    if (index < 1 || index > length || count <= 0)
        return;
    count = std::min(count, length - index + 1);
    s.erase(static_cast<size_t>(index - 1), static_cast<size_t>(count));
}

void Insert(std::string_view source, std::string& s, int index)
{
    const int length = static_cast<int>(s.size());
    index = std::clamp(index, 1, length + 1);
    s.insert(static_cast<size_t>(index - 1), source);
}

} // namespace classlib
