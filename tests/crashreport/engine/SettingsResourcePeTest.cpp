// The settings resource inside the built program, read with an outside PE reader (pefile):
// the RCDATA resource "TQOREXCEPT" of Brenvik.exe parses to the program's keys and values.
#include "QorSettingsTable.h"

#include "FileBytes.h"
#include "ProgramSettingsResource.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

// The resource's bytes as pefile finds them (RT_RCDATA, name TQOREXCEPT), written to `out`.
int ExtractWithPefile(const std::string& exe, const std::string& out)
{
    const std::string script =
        "import pefile,sys\n"
        "pe=pefile.PE(sys.argv[1])\n"
        "for t in pe.DIRECTORY_ENTRY_RESOURCE.entries:\n"
        "  if t.id!=10: continue\n"
        "  for n in t.directory.entries:\n"
        "    if n.name is not None and str(n.name)=='TQOREXCEPT':\n"
        "      d=n.directory.entries[0].data.struct\n"
        "      open(sys.argv[2],'wb').write(pe.get_data(d.OffsetToData,d.Size))\n"
        "      sys.exit(0)\n"
        "sys.exit(3)\n";
    const std::string scriptFile = out + ".py";
    testsupport::WriteBytes(scriptFile, script);
    const std::string command =
        std::string(BRENVIK_PYTHON) + " " + scriptFile + " '" + exe + "' '" + out + "'";
    return std::system(command.c_str());
}

} // namespace

TEST(SettingsResourceInProgram, ParsesToTheProgramsSettings)
{
    ASSERT_TRUE(std::filesystem::exists(BRENVIK_I686_EXE)) << BRENVIK_I686_EXE;
    const std::string out =
        (std::filesystem::temp_directory_path() / "brenvik-settings-resource.bin").string();
    ASSERT_EQ(ExtractWithPefile(BRENVIK_I686_EXE, out), 0) << "python3-pefile: " << BRENVIK_PYTHON;
    const std::string bytes = testsupport::ReadBytes(out);
    std::filesystem::remove(out);
    std::filesystem::remove(out + ".py");
    const qor::SettingsParseResult parsed =
        qor::ParseSettingsStream(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    EXPECT_EQ(parsed.Status, qor::SettingsParseStatus::Complete);
    ExpectProgramSettings(parsed.Table, parsed.Count);
    qor::FreePropertyTable(parsed.Count, parsed.Table);
}
