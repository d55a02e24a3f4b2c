#include "LandingPads.h"

#include <string>

namespace qor {

namespace {

// Pointer encodings of the frame descriptions (DW_EH_PE_*).
enum : uint8_t {
    kAbsolute = 0x00,
    kUleb = 0x01,
    kUdata2 = 0x02,
    kUdata4 = 0x03,
    kUdata8 = 0x04,
    kSleb = 0x09,
    kSdata2 = 0x0A,
    kSdata4 = 0x0B,
    kSdata8 = 0x0C,
    kPcRelative = 0x10,
    kIndirect = 0x80,
    kOmit = 0xFF,
};

// Reads the values of a record, bounded by `end`; any failure sticks.
class Reader {
public:
    Reader(const CodeMemory& memory, uint32_t at, uint32_t end)
        : memory_(memory), at_(at), end_(end)
    {
    }
    uint32_t At() const { return at_; }
    bool Ok() const { return ok_; }
    void Seek(uint32_t at) { at_ = at; }

    uint32_t Fixed(uint32_t bytes)
    {
        uint8_t b[8] = {};
        if (!ok_ || bytes > 8 || at_ + uint64_t{bytes} > end_ || !memory_.Read(at_, b, bytes)) {
            ok_ = false;
            return 0;
        }
        at_ += bytes;
        uint32_t v = 0;
        for (uint32_t i = 0; i < bytes && i < 4; ++i)
            v |= uint32_t{b[i]} << (8 * i);
        return v;
    }
    uint32_t Uleb()
    {
        uint32_t v = 0;
        for (int shift = 0; ok_; shift += 7) {
            uint32_t b = Fixed(1);
            if (shift < 32)
                v |= (b & 0x7F) << shift;
            if (!(b & 0x80) || shift > 63)
                break;
        }
        return v;
    }
    int32_t Sleb()
    {
        uint32_t v = 0;
        int shift = 0;
        uint32_t b = 0;
        do {
            b = Fixed(1);
            if (shift < 32)
                v |= (b & 0x7F) << shift;
            shift += 7;
        } while (ok_ && (b & 0x80) && shift < 70);
        if (shift < 32 && (b & 0x40))
            v |= ~0u << shift;
        return static_cast<int32_t>(v);
    }
    std::string Text()
    {
        std::string s;
        for (uint32_t c; ok_ && (c = Fixed(1)) != 0 && s.size() < 16;)
            s += static_cast<char>(c);
        return s;
    }
    uint32_t Encoded(uint8_t encoding)
    {
        if (encoding == kOmit)
            return 0;
        uint32_t position = at_, v = 0;
        switch (encoding & 0x0F) {
            case kAbsolute:
            case kUdata4:
            case kSdata4:
                v = Fixed(4);
                break;
            case kUleb:
                v = Uleb();
                break;
            case kSleb:
                v = static_cast<uint32_t>(Sleb());
                break;
            case kUdata2:
                v = Fixed(2);
                break;
            case kSdata2:
                v = static_cast<uint32_t>(static_cast<int16_t>(Fixed(2)));
                break;
            case kUdata8:
            case kSdata8:
                v = Fixed(8);
                break;
            default:
                ok_ = false;
                return 0;
        }
        if ((encoding & 0x70) == kPcRelative)
            v += position;
        if (encoding & kIndirect) {
            uint32_t target = 0;
            if (!ReadDword(memory_, v, target))
                ok_ = false;
            v = target;
        }
        return v;
    }

private:
    const CodeMemory& memory_;
    uint32_t at_, end_;
    bool ok_ = true;
};

struct Cie {
    std::string augmentation;
    uint8_t fdeEncoding = kAbsolute;
    uint8_t lsdaEncoding = kOmit;
};

bool ReadCie(const CodeMemory& memory, uint32_t at, Cie& cie)
{
    uint32_t length = 0;
    if (!ReadDword(memory, at, length) || length == 0 || length == 0xFFFFFFFF)
        return false;
    Reader r(memory, at + 4, at + 4 + length);
    if (r.Fixed(4) != 0)
        return false; // a CIE's id is 0
    uint32_t version = r.Fixed(1);
    cie.augmentation = r.Text();
    if (cie.augmentation.find("eh") != std::string::npos)
        r.Fixed(4);
    r.Uleb();
    r.Sleb();
    if (version == 1)
        r.Fixed(1);
    else
        r.Uleb();
    if (cie.augmentation.empty() || cie.augmentation[0] != 'z')
        return r.Ok();
    r.Uleb();
    for (size_t i = 1; i < cie.augmentation.size() && r.Ok(); ++i) {
        switch (cie.augmentation[i]) {
            case 'L':
                cie.lsdaEncoding = static_cast<uint8_t>(r.Fixed(1));
                break;
            case 'R':
                cie.fdeEncoding = static_cast<uint8_t>(r.Fixed(1));
                break;
            case 'P':
                r.Encoded(static_cast<uint8_t>(r.Fixed(1)));
                break;
            default:
                break;
        }
    }
    return r.Ok();
}

// The call-site table of an exception table: every landing pad.
void ReadLsda(const CodeMemory& memory, uint32_t lsda, uint32_t functionStart,
              std::vector<uint32_t>& pads)
{
    Reader r(memory, lsda, lsda + 0x100000);
    uint8_t lpStartEncoding = static_cast<uint8_t>(r.Fixed(1));
    uint32_t lpStart = lpStartEncoding == kOmit ? functionStart : r.Encoded(lpStartEncoding);
    if (static_cast<uint8_t>(r.Fixed(1)) != kOmit)
        r.Uleb(); // type table offset
    uint8_t callSiteEncoding = static_cast<uint8_t>(r.Fixed(1));
    uint32_t tableLength = r.Uleb();
    uint32_t end = r.At() + tableLength;
    while (r.Ok() && r.At() < end && pads.size() < 4096) {
        r.Encoded(callSiteEncoding); // start
        r.Encoded(callSiteEncoding); // length
        uint32_t pad = r.Encoded(callSiteEncoding);
        r.Uleb(); // action
        if (r.Ok() && pad)
            pads.push_back(lpStart + pad);
    }
}

} // namespace

LandingPadIndex::LandingPadIndex(const CodeMemory& memory, uint32_t start, uint32_t size)
    : memory_(memory)
{
    uint32_t at = start, end = start + size;
    std::map<uint32_t, Cie> cies;
    while (at + 8 <= end) {
        uint32_t length = 0, id = 0;
        if (!ReadDword(memory, at, length) || length == 0 || length == 0xFFFFFFFF ||
            at + 4 + uint64_t{length} > end)
            break;
        if (!ReadDword(memory, at + 4, id))
            break;
        if (id != 0) { // a frame description; its CIE lies `id` bytes before the id field
            uint32_t cieAt = at + 4 - id;
            auto known = cies.find(cieAt);
            if (known == cies.end()) {
                Cie cie;
                if (!ReadCie(memory, cieAt, cie))
                    break;
                known = cies.emplace(cieAt, cie).first;
            }
            Reader r(memory, at + 8, at + 4 + length);
            uint32_t pcBegin = r.Encoded(known->second.fdeEncoding);
            if (r.Ok())
                descriptions_.emplace(pcBegin, at);
        }
        at += 4 + length;
    }
}

std::vector<uint32_t> LandingPadIndex::operator()(uint32_t entry) const
{
    std::vector<uint32_t> pads;
    auto found = descriptions_.find(entry);
    if (found == descriptions_.end())
        return pads;
    uint32_t at = found->second, length = 0, id = 0;
    Cie cie;
    if (!ReadDword(memory_, at, length) || !ReadDword(memory_, at + 4, id) ||
        !ReadCie(memory_, at + 4 - id, cie))
        return pads;
    Reader r(memory_, at + 8, at + 4 + length);
    uint32_t pcBegin = r.Encoded(cie.fdeEncoding);
    r.Encoded(cie.fdeEncoding & 0x0F); // range
    if (!cie.augmentation.empty() && cie.augmentation[0] == 'z')
        r.Uleb();
    uint32_t lsda = cie.lsdaEncoding == kOmit ? 0 : r.Encoded(cie.lsdaEncoding);
    if (r.Ok() && lsda)
        ReadLsda(memory_, lsda, pcBegin, pads);
    return pads;
}

} // namespace qor
