#include "classlib/inifiles.h"

#include "classlib/fileio.h"

bool TCustomIniFile::ValueExists(const AnsiString& section, const AnsiString& key) const {
    TStringList keys;
    ReadSection(section, &keys);
    for (int i = 0; i < keys.Count(); ++i)
        if (SameText(keys.Get(i), key)) return true;
    return false;
}

int32_t TCustomIniFile::ReadInteger(const AnsiString& section, const AnsiString& key, int32_t def) const {
    return StrToIntDef(ReadString(section, key, AnsiString()), def);
}

void TCustomIniFile::WriteInteger(const AnsiString& section, const AnsiString& key, int32_t value) {
    WriteString(section, key, IntToStr(value));
}

bool TCustomIniFile::ReadBool(const AnsiString& section, const AnsiString& key, bool def) const {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void TCustomIniFile::WriteBool(const AnsiString& section, const AnsiString& key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

TMemIniFile::TMemIniFile(const AnsiString& fileName) : TCustomIniFile(fileName) {
    if (!fileName.empty() && FileExists(fileName)) {
        TStringList lines;
        lines.LoadFromFile(fileName);
        SetStrings(lines);
    }
}

const TMemIniFile::Entry* TMemIniFile::Section::Find(const AnsiString& key) const {
    auto it = Keys.find(UpperCase(key));
    return it == Keys.end() ? nullptr : &Entries[it->second];
}

void TMemIniFile::Section::Add(const AnsiString& key, const AnsiString& value) {
    Keys.emplace(UpperCase(key), Entries.size());   // a key already there keeps its first line
    Entries.push_back(Entry{key, value});
}

void TMemIniFile::Section::Reindex() {
    Keys.clear();
    for (size_t i = 0; i < Entries.size(); ++i) Keys.emplace(UpperCase(Entries[i].Key), i);
}

const TMemIniFile::Section* TMemIniFile::FindSection(const AnsiString& name) const {
    auto it = FSectionIndex.find(UpperCase(name));
    return it == FSectionIndex.end() ? nullptr : &FSections[it->second];
}

TMemIniFile::Section* TMemIniFile::FindSection(const AnsiString& name) {
    return const_cast<Section*>(static_cast<const TMemIniFile*>(this)->FindSection(name));
}

TMemIniFile::Section& TMemIniFile::AddSection(const AnsiString& name) {
    FSectionIndex.emplace(UpperCase(name), FSections.size());
    FSections.push_back(Section{name, {}, {}});
    return FSections.back();
}

AnsiString TMemIniFile::ReadString(const AnsiString& section, const AnsiString& key, const AnsiString& def) const {
    if (const Section* s = FindSection(section))
        if (const Entry* e = s->Find(key)) return e->Value;
    return def;
}

void TMemIniFile::WriteString(const AnsiString& section, const AnsiString& key, const AnsiString& value) {
    Section* s = FindSection(section);
    if (!s) s = &AddSection(section);
    if (Entry* e = s->Find(key)) {
        e->Value = value;
        return;
    }
    s->Add(key, value);
}

void TMemIniFile::ReadSection(const AnsiString& section, TStrings* keys) const {
    keys->Clear();
    if (const Section* s = FindSection(section))
        for (const Entry& e : s->Entries) keys->Add(e.Key);
}

void TMemIniFile::EraseSection(const AnsiString& section) {
    auto it = FSectionIndex.find(UpperCase(section));
    if (it == FSectionIndex.end()) return;
    FSections.erase(FSections.begin() + static_cast<std::ptrdiff_t>(it->second));
    FSectionIndex.clear();
    for (size_t i = 0; i < FSections.size(); ++i) FSectionIndex.emplace(UpperCase(FSections[i].Name), i);
}

void TMemIniFile::DeleteKey(const AnsiString& section, const AnsiString& key) {
    Section* s = FindSection(section);
    if (!s) return;
    auto it = s->Keys.find(UpperCase(key));
    if (it == s->Keys.end()) return;
    // A later line with the same name, if any, becomes the one that reads.
    s->Entries.erase(s->Entries.begin() + static_cast<std::ptrdiff_t>(it->second));
    s->Reindex();
}

bool TMemIniFile::SectionExists(const AnsiString& section) const { return FindSection(section) != nullptr; }

int TMemIniFile::KeyCount(const AnsiString& section) const {
    const Section* s = FindSection(section);
    return s ? static_cast<int>(s->Entries.size()) : 0;
}

void TMemIniFile::SetStrings(const TStrings& lines) {
    Clear();
    Section* current = nullptr;   // points into FSections; re-taken after every section added
    for (int i = 0; i < lines.Count(); ++i) {
        AnsiString line = Trim(lines.Get(i));
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[' && line.back() == ']') {
            AnsiString name = Trim(line.substr(1, line.size() - 2));
            current = FindSection(name);
            if (!current) current = &AddSection(name);
            continue;
        }
        size_t eq = line.find('=');
        if (!current || eq == AnsiString::npos) continue;
        current->Add(Trim(line.substr(0, eq)), Trim(line.substr(eq + 1)));
    }
}

void TMemIniFile::GetStrings(TStrings& lines) const {
    lines.Clear();
    for (const Section& s : FSections) {
        if (lines.Count() > 0) lines.Add(AnsiString());
        lines.Add("[" + s.Name + "]");
        for (const Entry& e : s.Entries) lines.Add(e.Key + "=" + e.Value);
    }
}

void TMemIniFile::UpdateFile() const {
    TStringList lines;
    GetStrings(lines);
    lines.SaveToFile(GetFileName());
}
