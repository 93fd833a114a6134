// INI files: sections of key=value lines.
//
// TCustomIniFile is the reading and writing contract; TMemIniFile holds the whole text in
// memory, built from lines (or a file) and written back only when asked.
// Rules of the text form:
//   - a line "[name]" opens a section; a section named twice continues the first one;
//   - other lines "key=value" belong to the current section, blanks around the key and the
//     value are dropped; lines before the first section, blank lines, lines starting with
//     ";" and lines without "=" are ignored;
//   - section and key names compare ASCII case-insensitively; the first matching key wins.
// TMemIniFile keeps sections and keys in text order, for writing, with a hash index beside each
// list: a lookup costs the same in a section of 10 keys or of 65,536.
#pragma once
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "classlib/classes.h"

class TCustomIniFile : public TObject {
public:
    explicit TCustomIniFile(const AnsiString& fileName) : FFileName(fileName) {}
    const char* ClassName() const override { return "TCustomIniFile"; }
    const AnsiString& GetFileName() const { return FFileName; }

    virtual AnsiString ReadString(const AnsiString& section, const AnsiString& key, const AnsiString& def) const = 0;
    virtual void WriteString(const AnsiString& section, const AnsiString& key, const AnsiString& value) = 0;
    // Appends the key names of a section, in text order, to `keys` (cleared first).
    virtual void ReadSection(const AnsiString& section, TStrings* keys) const = 0;
    virtual void EraseSection(const AnsiString& section) = 0;
    virtual void DeleteKey(const AnsiString& section, const AnsiString& key) = 0;
    virtual bool SectionExists(const AnsiString& section) const = 0;
    bool ValueExists(const AnsiString& section, const AnsiString& key) const;

    // Decimal, or hexadecimal after "$" or "0x"; `def` when missing or not a number.
    int32_t ReadInteger(const AnsiString& section, const AnsiString& key, int32_t def) const;
    void WriteInteger(const AnsiString& section, const AnsiString& key, int32_t value);
    // Any integer but 0 is true.
    bool ReadBool(const AnsiString& section, const AnsiString& key, bool def) const;
    void WriteBool(const AnsiString& section, const AnsiString& key, bool value);

private:
    AnsiString FFileName;
};

class TMemIniFile : public TCustomIniFile {
public:
    // Reads the file when the name is not empty and the file exists.
    explicit TMemIniFile(const AnsiString& fileName = AnsiString());
    const char* ClassName() const override { return "TMemIniFile"; }

    AnsiString ReadString(const AnsiString& section, const AnsiString& key, const AnsiString& def) const override;
    void WriteString(const AnsiString& section, const AnsiString& key, const AnsiString& value) override;
    void ReadSection(const AnsiString& section, TStrings* keys) const override;
    void EraseSection(const AnsiString& section) override;
    void DeleteKey(const AnsiString& section, const AnsiString& key) override;
    bool SectionExists(const AnsiString& section) const override;
    // Number of key lines in a section (0 when missing).
    int KeyCount(const AnsiString& section) const;

    void Clear() {
        FSections.clear();
        FSectionIndex.clear();
    }
    // Replaces the content by the parsed lines / writes it out as lines.
    void SetStrings(const TStrings& lines);
    void GetStrings(TStrings& lines) const;
    // Writes the content to the file named at construction.
    void UpdateFile() const;

private:
    struct Entry { AnsiString Key, Value; };
    // Names are indexed upper-cased (as SameText compares them); the index keeps the first.
    using TNameIndex = std::unordered_map<AnsiString, size_t>;
    struct Section {
        AnsiString Name;
        std::vector<Entry> Entries;
        TNameIndex Keys;
        const Entry* Find(const AnsiString& key) const;
        Entry* Find(const AnsiString& key) { return const_cast<Entry*>(static_cast<const Section*>(this)->Find(key)); }
        void Add(const AnsiString& key, const AnsiString& value);
        void Reindex();
    };
    const Section* FindSection(const AnsiString& name) const;
    Section* FindSection(const AnsiString& name);
    Section& AddSection(const AnsiString& name);
    std::vector<Section> FSections;
    TNameIndex FSectionIndex;
};
