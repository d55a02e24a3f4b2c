#pragma once
// A store section as text values in memory, read the way the platform's stores read integers
// (shared by the tests of the toolbar family's store records).
#include "toolbar/DockLayoutRecord.h"

#include "core/SysUtils.h"

#include <map>
#include <string>

namespace toolbar {

class TextValues : public TLayoutValues {
public:
    std::map<std::string, std::string> values;
    int ReadInteger(const std::string& key, int defaultValue) override
    {
        auto it = values.find(key);
        return it == values.end() ? defaultValue : classlib::StrToIntDef(it->second, defaultValue);
    }
    std::string ReadString(const std::string& key, const std::string& defaultValue) override
    {
        auto it = values.find(key);
        return it == values.end() ? defaultValue : it->second;
    }
    void WriteInteger(const std::string& key, int value) override
    {
        values[key] = std::to_string(value);
    }
    void WriteString(const std::string& key, const std::string& value) override
    {
        values[key] = value;
    }
};

} // namespace toolbar
