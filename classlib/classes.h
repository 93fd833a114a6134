// Core classes of our class library: objects, persistence, components, streams, string lists.
#pragma once
// <windows.h> would rename TStrings::GetObject to GetObjectA in some files and not in others.
#ifdef GetObject
#undef GetObject
#endif
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "classlib/fileio.h"
#include "classlib/sysutils.h"

class TObject {
public:
    virtual ~TObject() = default;
    virtual const char* ClassName() const { return "TObject"; }
};

class TPersistent : public TObject {
public:
    const char* ClassName() const override { return "TPersistent"; }
    virtual void Assign(TPersistent* source);
protected:
    virtual void AssignTo(TPersistent* dest);
};

enum TOperation { opInsert, opRemove };
enum TDuplicates : uint8_t { dupIgnore = 0, dupAccept = 1, dupError = 2 };

// A component is owned by its owner (which frees it) and can ask other components
// to tell it when they go away.
class TComponent : public TPersistent {
public:
    explicit TComponent(TComponent* owner);
    ~TComponent() override;
    const char* ClassName() const override { return "TComponent"; }

    TComponent* GetOwner() const { return FOwner; }
    int ComponentCount() const { return static_cast<int>(FComponents.size()); }
    TComponent* GetComponent(int i) const { return FComponents.at(static_cast<size_t>(i)); }
    const AnsiString& GetName() const { return FName; }
    void SetName(const AnsiString& name) { FName = name; }
    intptr_t GetTag() const { return FTag; }
    void SetTag(intptr_t tag) { FTag = tag; }
    bool IsDestroying() const { return FDestroying; }
    // True from construction under a loading owner (a form whose constructor is setting its
    // stored properties) until Loaded runs; setters may defer work while it holds.
    bool IsLoading() const { return FLoading; }
    // Marks this component as being loaded (components created under it inherit the state).
    void BeginLoading() { FLoading = true; }
    // Calls Loaded on this component and then on every owned component still loading.
    void FinishLoading();

    // Links the two both ways (each hears when the other goes); Remove takes both directions.
    void FreeNotification(TComponent* other);
    void RemoveFreeNotification(TComponent* other);
    void InsertComponent(TComponent* c);
    void RemoveComponent(TComponent* c);

protected:
    // Points a reference field at value, moving the free-notification link with it, so the
    // field is told (Notification opRemove) when what it points at goes.
    template <class T>
    void ReplaceReference(T*& field, T* value) {
        if (field) field->RemoveFreeNotification(this);
        field = value;
        if (value) value->FreeNotification(this);
    }
    // A component came or went: every component this one owns hears of it too, so a sibling
    // holding a reference learns of it. Overrides call the inherited one.
    virtual void Notification(TComponent* component, TOperation operation);
    // Runs once its stored properties are all set; overrides call the inherited one first,
    // which ends the loading state.
    virtual void Loaded() { FLoading = false; }
    // Destruction begins (once): the component is marked as going away, Destroying runs, every
    // holder of a reference hears of it (Notification opRemove) while the object is still whole,
    // and so does everything it owns, since it goes too. Destructors call it first thing; the
    // most derived one that can should, so that holders hear while the most is still there.
    void BeginDestroy();
    // Frees the owned components now, last first (the destructor does it otherwise).
    void DestroyComponents();
    // Runs when destruction begins, before holders are told.
    virtual void Destroying() {}

private:
    void NotifyHolders();
    TComponent* FOwner = nullptr;
    std::vector<TComponent*> FComponents;
    std::vector<TComponent*> FFreeNotifies;
    AnsiString FName;
    intptr_t FTag = 0;
    bool FDestroying = false;
    bool FLoading = false;
};

class TCollection;

// One item of a TCollection; the collection owns it. Freeing an item takes it out of its
// collection first.
class TCollectionItem : public TPersistent {
public:
    // Joins the collection (when given), at its end.
    explicit TCollectionItem(TCollection* collection);
    ~TCollectionItem() override;
    TCollectionItem(const TCollectionItem&) = delete;
    TCollectionItem& operator=(const TCollectionItem&) = delete;
    const char* ClassName() const override { return "TCollectionItem"; }

    TCollection* GetCollection() const { return FCollection; }
    // Position in the collection, -1 when in none.
    int GetIndex() const;
    // The collection.
    virtual TPersistent* GetOwner() const;

protected:
    // Tells the collection that this item (or, with allItems, every item) changed.
    void Changed(bool allItems);

private:
    friend class TCollection;
    TCollection* FCollection = nullptr;
};

// An owned, ordered list of items of one kind; the factory makes the items Add returns.
class TCollection : public TPersistent {
public:
    using TItemFactory = std::function<TCollectionItem*(TCollection*)>;
    explicit TCollection(TItemFactory factory);
    ~TCollection() override;
    // Items are owned: a copy would free them twice. Assign copies them item by item.
    TCollection(const TCollection&) = delete;
    TCollection& operator=(const TCollection&) = delete;
    const char* ClassName() const override { return "TCollection"; }

    TCollectionItem* Add();
    int Count() const { return static_cast<int>(FItems.size()); }
    // Raises EListError "List index out of bounds (i)" outside 0 .. Count - 1.
    TCollectionItem* GetItem(int index) const;
    void Delete(int index);
    void Clear();
    // Another collection's items are copied item by item (each item's Assign); nil empties.
    void Assign(TPersistent* source) override;
    // Update runs once when the outermost EndUpdate is reached.
    void BeginUpdate() { ++FUpdateCount; }
    void EndUpdate();
    // The object that shows the collection (the designer's and the streaming system's view).
    virtual TPersistent* GetOwner() const { return nullptr; }

protected:
    // An item (nullptr: the whole collection) changed; nothing by default.
    virtual void Update(TCollectionItem* item) {}
    void Changed();

private:
    friend class TCollectionItem;
    void InsertItem(TCollectionItem* item);
    void ExtractItem(TCollectionItem* item);
    TItemFactory FFactory;
    std::vector<TCollectionItem*> FItems;   // owned
    int FUpdateCount = 0;
};

enum TSeekOrigin : int { soBeginning = 0, soCurrent = 1, soEnd = 2 };

class TStream : public TObject {
public:
    const char* ClassName() const override { return "TStream"; }
    // Bytes delivered / accepted; fewer than asked only at the end or on failure.
    virtual int32_t Read(void* buffer, int32_t count) = 0;
    virtual int32_t Write(const void* buffer, int32_t count) = 0;
    virtual int64_t Seek(int64_t offset, int origin) = 0;
    virtual int64_t GetSize();
    virtual void SetSize(int64_t newSize);
    int64_t GetPosition() { return Seek(0, soCurrent); }
    void SetPosition(int64_t pos) { Seek(pos, soBeginning); }
    // Raise EReadError / EWriteError unless the whole count moved.
    void ReadBuffer(void* buffer, int32_t count);
    void WriteBuffer(const void* buffer, int32_t count);
    // Copies count bytes from source's position; count 0 copies the whole of source from its start.
    int64_t CopyFrom(TStream* source, int64_t count);
};

class THandleStream : public TStream {
public:
    explicit THandleStream(THandle handle) : FHandle(handle) {}
    const char* ClassName() const override { return "THandleStream"; }
    int32_t Read(void* buffer, int32_t count) override;
    int32_t Write(const void* buffer, int32_t count) override;
    int64_t Seek(int64_t offset, int origin) override;
    void SetSize(int64_t newSize) override;
    THandle GetHandle() const { return FHandle; }
protected:
    THandle FHandle;
};

// Opens (or with fmCreate creates) a named file; raises EFOpenError / EFCreateError.
class TFileStream : public THandleStream {
public:
    TFileStream(const AnsiString& fileName, uint32_t mode);
    ~TFileStream() override;
    const char* ClassName() const override { return "TFileStream"; }
    const AnsiString& GetFileName() const { return FFileName; }
private:
    AnsiString FFileName;
};

class TMemoryStream : public TStream {
public:
    const char* ClassName() const override { return "TMemoryStream"; }
    int32_t Read(void* buffer, int32_t count) override;
    int32_t Write(const void* buffer, int32_t count) override;
    int64_t Seek(int64_t offset, int origin) override;
    int64_t GetSize() override { return static_cast<int64_t>(FData.size()); }
    void SetSize(int64_t newSize) override;
    void Clear() { FData.clear(); FPosition = 0; }
    uint8_t* Memory() { return FData.data(); }
    const uint8_t* Memory() const { return FData.data(); }
    void LoadFromStream(TStream* s);
    void LoadFromFile(const AnsiString& name);
    void SaveToStream(TStream* s);
    void SaveToFile(const AnsiString& name);
protected:
    std::vector<uint8_t> FData;
    int64_t FPosition = 0;
};

class TStringStream : public TMemoryStream {
public:
    explicit TStringStream(const AnsiString& s = AnsiString());
    const char* ClassName() const override { return "TStringStream"; }
    AnsiString DataString() const { return AnsiString(FData.begin(), FData.end()); }
};

// An ordered list of byte strings, each with an optional object.
class TStrings : public TPersistent {
public:
    const char* ClassName() const override { return "TStrings"; }
    virtual int Count() const = 0;
    virtual AnsiString Get(int index) const = 0;
    virtual void Put(int index, const AnsiString& s) = 0;
    virtual TObject* GetObject(int index) const = 0;
    virtual void PutObject(int index, TObject* obj) = 0;
    virtual void Insert(int index, const AnsiString& s) = 0;
    virtual void InsertObject(int index, const AnsiString& s, TObject* obj);
    virtual void Delete(int index) = 0;
    virtual void Clear() = 0;
    virtual int Add(const AnsiString& s);
    virtual int AddObject(const AnsiString& s, TObject* obj);
    virtual int IndexOf(const AnsiString& s) const;
    void AddStrings(const TStrings& other);
    void Assign(TPersistent* source) override;

    // Name=Value access.
    AnsiString Names(int index) const;
    AnsiString ValueFromIndex(int index) const;
    int IndexOfName(const AnsiString& name) const;
    AnsiString Values(const AnsiString& name) const;
    void SetValue(const AnsiString& name, const AnsiString& value);

    // Lines joined with CR LF (each line ended); setting splits at CR, LF or CR LF.
    AnsiString GetText() const;
    void SetText(const AnsiString& text);
    void LoadFromStream(TStream* s);
    void SaveToStream(TStream* s) const;
    void LoadFromFile(const AnsiString& name);
    void SaveToFile(const AnsiString& name) const;

    std::function<void(TObject*)> OnChange;
protected:
    virtual void Changed();
};

class TStringList : public TStrings {
public:
    const char* ClassName() const override { return "TStringList"; }
    int Count() const override { return static_cast<int>(FItems.size()); }
    AnsiString Get(int index) const override;
    void Put(int index, const AnsiString& s) override;
    TObject* GetObject(int index) const override;
    void PutObject(int index, TObject* obj) override;
    void Insert(int index, const AnsiString& s) override;
    void InsertObject(int index, const AnsiString& s, TObject* obj) override;
    void Delete(int index) override;
    void Clear() override;
    int AddObject(const AnsiString& s, TObject* obj) override;
    int IndexOf(const AnsiString& s) const override;

    // Binary search of a sorted list: true with the index of the match, else the insertion point.
    bool Find(const AnsiString& s, int& index) const;
    void Sort();

    bool GetSorted() const { return FSorted; }
    void SetSorted(bool v);
    TDuplicates GetDuplicates() const { return FDuplicates; }
    void SetDuplicates(TDuplicates d) { FDuplicates = d; }
    bool GetCaseSensitive() const { return FCaseSensitive; }
    void SetCaseSensitive(bool v);

private:
    struct Item { AnsiString s; TObject* obj; };
    int CompareStrings(const AnsiString& a, const AnsiString& b) const;
    void CheckIndex(int index, bool allowEnd) const;
    std::vector<Item> FItems;
    bool FSorted = false;
    bool FCaseSensitive = false;
    TDuplicates FDuplicates = dupIgnore;
};
