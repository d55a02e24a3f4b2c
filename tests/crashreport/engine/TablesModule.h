// A fake module whose "QOR"/"EXCEPT" resource packs given debug tables, and the TMapFile the
// debug-information store makes of it: the stack tracer's tests and benchmark give their modules
// debug information through the store's real loading path.
#pragma once

#include <algorithm>
#include <memory>
#include <string>

#include "QorMapFile.h"
#include "QorPackedDebugWriter.h"

namespace qor::testing {

class TablesModule final : public ModuleDebugSources {
public:
    // The tables' code entries, their addresses made relative to the layout's code base.
    explicit TablesModule(const DebugTables& tables) : layout_(tables.Layout())
    {
        PackedDebugContent content;
        const uint32_t base = layout_.codeBase;
        for (TMfSegment s : tables.segments)
            if (s.code) {
                s.start -= base;
                content.segments.push_back(s);
            }
        for (TMfPublic p : tables.publics)
            if (p.code) {
                p.address -= base;
                content.publics.push_back(p);
            }
        for (TMfLine l : tables.lines) {
            l.address -= base;
            content.lines.push_back(l);
        }
        const auto byAddress = [](const auto& a, const auto& b) { return a.address < b.address; };
        std::stable_sort(content.publics.begin(), content.publics.end(), byAddress);
        std::stable_sort(content.lines.begin(), content.lines.end(), byAddress);
        payload_ = PackedDebugData(PackedDebugTables(content, false), {});
    }

    std::optional<ModuleLayout> Layout() override { return layout_; }
    uint32_t DataEnd() override { return 0; }
    std::string Resource(std::string_view type, std::string_view name) override
    {
        return type == "QOR" && name == "EXCEPT" ? payload_ : std::string();
    }
    std::optional<std::string> ImageDebugData() override { return std::nullopt; }
    std::optional<std::string> ReadFile(const std::string&) override { return std::nullopt; }
    std::optional<int64_t> FileDay(const std::string&) override { return std::nullopt; }

private:
    ModuleLayout layout_;
    std::string payload_;
};

// The module's debug information as the store loads it from the packed resource.
inline std::shared_ptr<const TMapFile> MapFileOfTables(const DebugTables& tables,
                                                       const std::string& moduleFileName,
                                                       uint32_t moduleHandle)
{
    TablesModule module(tables);
    return std::make_shared<const TMapFile>(true, moduleFileName, moduleHandle, false, false,
                                            &module);
}

} // namespace qor::testing
