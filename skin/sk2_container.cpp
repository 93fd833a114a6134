#include "skin/sk2_container.h"

#include "classlib/classes.h"
#include "classlib/little_endian.h"
#include "skin/skin_zip_member.h"

const char* const kSkinReadFailedMessage = "Failed to read skin file!";
const char* const kSkinWrongPasswordMessage = "Wrong password!";

namespace {

[[noreturn]] void ReadFailed() { throw Exception(kSkinReadFailedMessage); }

bool SameName(const AnsiString& a, const AnsiString& b) { return a.size() == b.size() && UpperCase(a) == UpperCase(b); }

const TSk2Value* FindValue(const std::vector<TSk2Value>& list, const AnsiString& name) {
    for (const TSk2Value& v : list)
        if (SameName(v.Name, name)) return &v;
    return nullptr;
}

// The bytes [offset, offset + size) of the container, or a failure when they are not all in it.
const uint8_t* Slice(const uint8_t* data, size_t total, uint64_t offset, uint64_t size) {
    if (offset > total || size > total - offset) ReadFailed();
    return data + offset;
}

// Integer and byte data are little-endian and may be shorter than their type.
uint32_t SmallValue(const uint8_t* p, uint32_t size) {
    uint32_t value = 0;
    for (uint32_t i = 0; i < size; ++i) value |= uint32_t(p[i]) << (8 * i);
    return value;
}

}  // namespace

const TBmpImage* TSk2SkinData::FindBitmap(const AnsiString& name) const {
    for (const TSk2Bitmap& b : Bitmaps)
        if (SameName(b.Name, name)) return &b.Image;
    return nullptr;
}

int32_t TSk2SkinData::GetInteger(const AnsiString& name) const {
    const TSk2Value* v = FindValue(Integers, name);
    int32_t value;
    return v && TryStrToInt(v->Value, value) ? value : -1;
}

int32_t TSk2SkinData::GetByte(const AnsiString& name) const {
    const TSk2Value* v = FindValue(Bytes, name);
    int32_t value;
    return v && TryStrToInt(v->Value, value) ? value : 0;
}

const AnsiString* TSk2SkinData::FindText(const AnsiString& name) const {
    const TSk2Value* v = FindValue(Texts, name);
    return v ? &v->Value : nullptr;
}

TSk2SkinData ParseSk2Container(const uint8_t* data, size_t size) {
    TSk2SkinData skin;
    const uint8_t* header = Slice(data, size, 0, kSk2HeaderSize);
    if (GetLE32(header + 12) != kSk2HeaderSize) ReadFailed();
    uint32_t entryOffset = GetLE32(header + 20);
    std::vector<bool> seen(size);   // one bit per container byte, whatever the chain claims
    // What the lists keep, and the entry data the bitmaps read: a range named by many entries
    // is counted each time it is read.
    uint64_t budget = kSk2MaxDecodedBytes, readBudget = kSk2MaxDecodedBytes;
    auto charge = [](uint64_t& left, uint64_t bytes) {
        if (bytes > left) ReadFailed();
        left -= bytes;
    };
    for (;;) {
        const uint8_t* entry = Slice(data, size, entryOffset, kSk2EntrySize);
        if (seen[entryOffset]) ReadFailed();
        seen[entryOffset] = true;
        uint32_t next = GetLE32(entry + 73);
        if (next == 0) break;   // the terminator's own fields are not read
        size_t nameLength = 0;
        while (nameLength < kSk2NameSize && entry[nameLength] != 0) ++nameLength;
        AnsiString name(reinterpret_cast<const char*>(entry), nameLength);
        uint8_t kind = entry[64];
        uint32_t dataOffset = GetLE32(entry + 65);
        uint32_t dataSize = GetLE32(entry + 69);
        switch (kind) {
        case skBitmap: {
            charge(readBudget, dataSize);
            TMemoryStream stream;
            stream.Write(Slice(data, size, dataOffset, dataSize), static_cast<int32_t>(dataSize));
            stream.SetPosition(0);
            try {
                TBmpImage image = ReadBmp(stream, budget);
                charge(budget, image.Bits.size() + image.Palette.size() * sizeof(uint32_t) + sizeof(TSk2Bitmap) + name.size());
                skin.Bitmaps.push_back({name, std::move(image)});
            } catch (const EInvalidGraphic&) {
                ReadFailed();
            } catch (const std::bad_alloc&) {   // keeping the picture found no memory
                ReadFailed();
            }
            break;
        }
        case skInteger:
            if (dataSize > 4) ReadFailed();
            charge(budget, sizeof(TSk2Value) + name.size() + 11);
            skin.Integers.push_back(
                {name, IntToStr(static_cast<int32_t>(SmallValue(Slice(data, size, dataOffset, dataSize), dataSize)))});
            break;
        case skByte:
            if (dataSize > 1) ReadFailed();
            charge(budget, sizeof(TSk2Value) + name.size() + 3);
            skin.Bytes.push_back({name, IntToStr(SmallValue(Slice(data, size, dataOffset, dataSize), dataSize))});
            break;
        case skText: {
            const uint8_t* text = Slice(data, size, dataOffset, dataSize);
            charge(budget, sizeof(TSk2Value) + name.size() + dataSize);
            skin.Texts.push_back({name, AnsiString(reinterpret_cast<const char*>(text), dataSize)});
            break;
        }
        default: break;   // unknown kinds are skipped
        }
        entryOffset = next;
    }
    return skin;
}

TSk2SkinData LoadSk2SkinFile(const AnsiString& fileName, const AnsiString& password, const AnsiString& tempName) {
    uint8_t result = ExtractZipMember(fileName, "SKINDATA.SK2", tempName, password);
    if (result == kSkinExtractWrongPassword) throw Exception(kSkinWrongPasswordMessage);
    if (result != kSkinExtractOk) throw Exception(kSkinReadFailedMessage);
    std::vector<uint8_t> bytes;
    try {
        TMemoryStream container;
        container.LoadFromFile(tempName);
        bytes.assign(container.Memory(), container.Memory() + container.GetSize());
    } catch (const std::exception&) {
        RemoveFile(tempName);
        throw Exception(kSkinReadFailedMessage);
    }
    RemoveFile(tempName);
    return ParseSk2Container(bytes.data(), bytes.size());
}

TSk2SkinData LoadSk2SkinData(const uint8_t* data, size_t size, const AnsiString& password) {
    if (size > static_cast<size_t>(kSkinMaxFileSize)) throw Exception(kSkinReadFailedMessage);
    TMemoryStream archive;
    if (size > 0) archive.Write(data, static_cast<int32_t>(size));
    TMemoryStream container;
    uint8_t result = ExtractZipMember(archive, "SKINDATA.SK2", container, password);
    if (result == kSkinExtractWrongPassword) throw Exception(kSkinWrongPasswordMessage);
    if (result != kSkinExtractOk) throw Exception(kSkinReadFailedMessage);
    return ParseSk2Container(container.Memory(), static_cast<size_t>(container.GetSize()));
}
