#include "QorUnmangle.h"

#include "QorStrings.h"

namespace qor {

bool UnmangleName(std::string& name, std::string& unit)
{
    unit.clear();
    SubstStr(name, "::", ".", false);
    if (name.empty() || name[0] != '@')
        return false;

    // "@%...%@Suffix": the part after the last "%@" is kept as a member suffix.
    std::string suffix;
    if (name.size() >= 2 && name[1] == '%') {
        for (size_t i = name.size() - 2; i >= 2; --i)
            if (name[i] == '%' && name[i + 1] == '@') {
                suffix = "." + name.substr(i + 2);
                break;
            }
    }

    size_t scan = 2;
    if (name.size() >= 7 && name.compare(0, 3, "@_$") == 0) {
        const size_t dollar = name.find('$', 4);
        if (dollar != std::string::npos && dollar + 1 < name.size() && name[dollar + 1] == '@')
            scan = dollar + 1;
    }
    bool removeLeadingAt = false;
    bool destructor = false;
    bool unitTaken = false;
    for (size_t i = scan; i < name.size(); ++i) {
        if (name[i] == '$') {
            destructor = i + 2 < name.size() && name[i + 2] == 'd';
            name.replace(i, std::string::npos, suffix);
            removeLeadingAt = true;
            break;
        }
        if (name[i] == '@') {
            name[i] = '.';
            if (!unitTaken) {
                unit = name.substr(1, i - 1);
                unitTaken = true;
            }
        }
    }

    if (!unit.empty()) {
        if (name.size() > unit.size() + 2) {
            name.erase(0, unit.size() + 2);
            removeLeadingAt = false;
        } else {
            unit.clear();
        }
    }
    if (removeLeadingAt)
        name.erase(0, 1);
    if (!name.empty() && name[0] == '%')
        name.erase(0, 1);
    if (!name.empty() && name[0] == '.')
        name[0] = '@';
    // A constructor or destructor ends with the class name and ".".
    if (!name.empty() && name.back() == '.')
        name += destructor ? "Destroy" : "Create";
    TrimInPlace(name);
    if (!name.empty() && name.back() == '.')
        name += '?';
    return true;
}

} // namespace qor
