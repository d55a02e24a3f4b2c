#include "InfoRecord.h"

#include "Family.h"

namespace sim {
namespace {

class RecordWriter {
public:
    explicit RecordWriter(const Family& family) : family_(family) { bytes_.push_back(0); }

    void Byte(uint8_t tag, uint8_t value)
    {
        bytes_.push_back(tag);
        bytes_.push_back(value);
    }
    void Value16(uint8_t tag, uint16_t value)
    {
        bytes_.push_back(tag);
        Pad(family_.align16);
        for (int i = 0; i < 2; ++i)
            bytes_.push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
    void Value32(uint8_t tag, uint32_t value)
    {
        bytes_.push_back(tag);
        Pad(family_.align32);
        for (int i = 0; i < 4; ++i)
            bytes_.push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
    void Text(uint8_t tag, const std::string& text)
    {
        bytes_.push_back(tag);
        size_t room = kReportPayload - bytes_.size() - 1;
        bytes_.insert(bytes_.end(), text.begin(), text.begin() + std::min(room, text.size()));
        bytes_.push_back(0);
    }
    std::vector<uint8_t> Finish()
    {
        bytes_[0] = static_cast<uint8_t>(bytes_.size());
        return bytes_;
    }

private:
    // Padding bytes are zero; the value starts at the next multiple of its alignment.
    void Pad(uint8_t alignment)
    {
        while (bytes_.size() % alignment != 0)
            bytes_.push_back(0);
    }

    Family family_;
    std::vector<uint8_t> bytes_;
};

} // namespace

std::vector<uint8_t> EncodeInfoRecord(const DeviceProfile& profile)
{
    if (profile.rawRecord)
        return *profile.rawRecord;
    RecordWriter w(FindFamily(profile.family).value_or(UnknownFamily(profile.family)));
    w.Byte(kTagFamily, profile.family);
    w.Value16(kTagEraseBlockSize, profile.eraseBlockSize);
    w.Value16(kTagWriteBlockSize, profile.writeBlockSize);
    w.Value16(kTagBootRevision, profile.bootRevision);
    w.Value32(kTagBootStart, profile.bootStart);
    w.Value32(kTagFlashSize, profile.flashSize);
    w.Value32(kTagAppStart, profile.appStart);
    w.Text(kTagName, profile.mcuName);
    return w.Finish();
}

} // namespace sim
