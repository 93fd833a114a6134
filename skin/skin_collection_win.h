// Further skins stored with the engine next to its own: each item carries a whole skin file and
// holds it loaded in a reader of its own for an application that wants to switch to it. The
// engine never switches to an item by itself.
#pragma once
#include <memory>
#include <vector>

#include "classlib/classes.h"
#include "skin/skin_reader_win.h"

class TlumSkinEngine;

class TlumSkinCollectionItem : public TCollectionItem {
public:
    explicit TlumSkinCollectionItem(TCollection* collection);
    ~TlumSkinCollectionItem() override;
    const char* ClassName() const override { return "TlumSkinCollectionItem"; }

    // The skin file named at design time; only "SkinData" below reads it.
    const AnsiString& GetSkinFile() const { return FSkinFile; }
    void SetSkinFile(const AnsiString& value) { FSkinFile = value; }
    // The password of the stored skin.
    const AnsiString& GetPassword() const { return FPassword; }
    void SetPassword(const AnsiString& value) { FPassword = value; }
    // The item's own reader: empty until a skin is read.
    TlumSkinReader* GetReader() const { return FReader.get(); }

    // "SkinData": there is something to store when SkinFile names an existing file; then the
    // whole file goes into the stream byte for byte.
    bool HasSkinData() const;
    void WriteSkinData(TStream* stream) const;
    // Loads the reader straight from the stored bytes with Password; no file is written on the
    // way. The reader's exception ("Failed to read skin file!", "Wrong password!") passes on, with
    // the reader then holding no skin. SkinFile keeps its text.
    void ReadSkinData(const std::vector<uint8_t>& skinFile);

    // SkinFile, Password and the stored skin (loaded again into this item's own reader).
    void Assign(TPersistent* source) override;

private:
    AnsiString FSkinFile, FPassword;
    std::unique_ptr<TlumSkinReader> FReader;
    std::vector<uint8_t> FSkinData;   // the bytes the reader holds, for Assign
};

class TlumSkinCollection : public TCollection {
public:
    // The engine is not owned; it is what the collection reports as its owner.
    explicit TlumSkinCollection(TlumSkinEngine* engine);
    const char* ClassName() const override { return "TlumSkinCollection"; }

    TlumSkinCollectionItem* Add() { return static_cast<TlumSkinCollectionItem*>(TCollection::Add()); }
    TlumSkinCollectionItem* Items(int index) const { return static_cast<TlumSkinCollectionItem*>(GetItem(index)); }
    TPersistent* GetOwner() const override;

private:
    TlumSkinEngine* FEngine;
};
