#pragma once
// Address lists of the bug-report mails: addresses separated by "," or ";", each a plain
// address or a display name followed by the address in angle brackets.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace crashreport {

// Normalises the list in place ("," between items, no blanks around them, trimmed) and
// returns the number of addresses.
int32_t CountMailAddresses(std::string& list);
// The items of a list (normalised first).
std::vector<std::string> MailAddressItems(std::string list);

// The address in angle brackets: a plain address gets them; an address with "<" is kept whole
// with `keepName`, else cut to the part from "<" on.
std::string FormatMailAddress(const std::string& address, bool keepName);

// A list as one header value: every address formatted (name kept), joined by ", ".
std::string MailHeaderAddresses(const std::string& list);

struct MailRecipient {
    std::string name;
    std::string address; // "SMTP:" + the address
};
// Display name and "SMTP:" address of one item, as the system's mail client takes them.
MailRecipient SplitMailAddress(const std::string& address);

// Every character of the set becomes the escape character and two upper-case hex digits.
std::string EscapeChars(std::string_view text, std::string_view set, char escape);

} // namespace crashreport
