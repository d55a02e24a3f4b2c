#include "MailAddresses.h"

namespace crashreport {

namespace {

bool IsBlank(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

std::string Trimmed(std::string_view text)
{
    size_t first = 0;
    size_t last = text.size();
    while (first < last && IsBlank(text[first]))
        ++first;
    while (last > first && IsBlank(text[last - 1]))
        --last;
    return std::string(text.substr(first, last - first));
}

// The list trimmed, with the blanks around every delimiter removed.
std::string TidyList(std::string_view list, char delimiter)
{
    std::string tidy;
    size_t start = 0;
    for (;;) {
        const size_t end = list.find(delimiter, start);
        if (start > 0)
            tidy += delimiter;
        tidy += Trimmed(list.substr(
            start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    return tidy;
}

} // namespace

int32_t CountMailAddresses(std::string& list)
{
    for (char& c : list)
        if (c == ';')
            c = ',';
    list = TidyList(list, ',');
    if (list.empty())
        return 0;
    int32_t count = 1;
    for (char c : list)
        if (c == ',')
            ++count;
    return count;
}

std::vector<std::string> MailAddressItems(std::string list)
{
    std::vector<std::string> items;
    if (CountMailAddresses(list) == 0)
        return items;
    size_t start = 0;
    for (;;) {
        const size_t end = list.find(',', start);
        items.push_back(
            list.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            return items;
        start = end + 1;
    }
}

std::string FormatMailAddress(const std::string& address, bool keepName)
{
    const size_t open = address.find('<');
    if (open == std::string::npos)
        return "<" + address + ">";
    return keepName ? address : address.substr(open);
}

std::string MailHeaderAddresses(const std::string& list)
{
    std::string header;
    for (const std::string& item : MailAddressItems(list)) {
        if (!header.empty())
            header += ", ";
        header += FormatMailAddress(item, true);
    }
    return header;
}

MailRecipient SplitMailAddress(const std::string& address)
{
    MailRecipient recipient{address, address};
    const size_t open = address.find('<');
    if (open != std::string::npos) {
        const size_t close = address.find('>', open);
        const std::string cut = address.substr(0, close);
        recipient.name = cut.substr(0, open);
        recipient.address = cut.substr(open + 1);
    }
    recipient.address = "SMTP:" + recipient.address;
    return recipient;
}

std::string EscapeChars(std::string_view text, std::string_view set, char escape)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string escaped;
    escaped.reserve(text.size());
    for (char c : text) {
        if (set.find(c) == std::string_view::npos) {
            escaped += c;
            continue;
        }
        const auto code = static_cast<unsigned char>(c);
        escaped += escape;
        escaped += kHex[code >> 4];
        escaped += kHex[code & 15];
    }
    return escaped;
}

} // namespace crashreport
