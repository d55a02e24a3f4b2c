#include "InfoRecord.h"

#include "Family.h"

namespace sim {
namespace {

class RecordWriter {
 public:
  explicit RecordWriter(const Family& family) : family_(family) { bytes_.push_back(0); }

  void Byte(uint8_t tag, uint8_t value) {
    bytes_.push_back(tag);
    bytes_.push_back(value);
  }
  void Value16(uint8_t tag, uint16_t value) {
    bytes_.push_back(tag);
    Pad(family_.align16);
    for (int i = 0; i < 2; ++i) bytes_.push_back(static_cast<uint8_t>(value >> (8 * i)));
  }
  void Value32(uint8_t tag, uint32_t value) {
    bytes_.push_back(tag);
    Pad(family_.align32);
    for (int i = 0; i < 4; ++i) bytes_.push_back(static_cast<uint8_t>(value >> (8 * i)));
  }
  void Text(uint8_t tag, const std::string& text) {
    bytes_.push_back(tag);
    size_t room = kReportPayload - bytes_.size() - 1;
    bytes_.insert(bytes_.end(), text.begin(), text.begin() + std::min(room, text.size()));
    bytes_.push_back(0);
  }
  std::vector<uint8_t> Finish() {
    bytes_[0] = static_cast<uint8_t>(bytes_.size());
    return bytes_;
  }

 private:
  // Padding bytes are zero; the value starts at the next multiple of its alignment.
  void Pad(uint8_t alignment) {
    while (bytes_.size() % alignment != 0) bytes_.push_back(0);
  }

  Family family_;
  std::vector<uint8_t> bytes_;
};

}  // namespace

std::vector<uint8_t> EncodeInfoRecord(const DeviceSpec& spec) {
  if (spec.rawRecord) return *spec.rawRecord;
  RecordWriter w(FindFamily(spec.family).value_or(UnknownFamily(spec.family)));
  w.Byte(kTagFamily, spec.family);
  w.Value16(kTagEraseBlockSize, spec.eraseBlockSize);
  w.Value16(kTagWriteBlockSize, spec.writeBlockSize);
  w.Value16(kTagBootRevision, spec.bootRevision);
  w.Value32(kTagBootStart, spec.bootStart);
  w.Value32(kTagFlashSize, spec.flashSize);
  w.Value32(kTagAppStart, spec.appStart);
  w.Text(kTagName, spec.mcuName);
  return w.Finish();
}

}  // namespace sim
