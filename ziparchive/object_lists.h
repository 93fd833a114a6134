// The archive library's own object lists: TObjectList, a growable array of object
// references that can own its objects and store them in a stream, and TSortedObjectList,
// kept in the order of a virtual comparison and searched by halving. A process-wide class
// registry maps class names to a factory and load/store routines so that lists of
// registered classes can be streamed.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "classlib/classes.h"

namespace zk {

using TObjectFactory = std::function<TObject*()>;
using TObjectStreamer = std::function<void(TObject*, TStream*)>;

struct tRegisterRec {
    AnsiString ClassName;
    TObjectFactory Create;       // the class's parameterless constructor
    TObjectStreamer LoadRoutine;
    TObjectStreamer StoreRoutine;
};

// Deepest nesting of objects (lists within lists) that a stream may hold.
constexpr int kMaxObjectNesting = 64;

// Longest class name kept in the registry and in streams.
constexpr int kMaxClassNameLength = 63;

// Registers (or replaces) a class under its ClassName(); names longer than 63 are cut.
void RegisterObjectClass(const AnsiString& className, TObjectFactory create, TObjectStreamer load,
                         TObjectStreamer store);
void UnregisterObjectClass(const AnsiString& className);

// The record of a class name (case-insensitive), or none.
const tRegisterRec* FindRegisteredClass(const AnsiString& name);
// A new object of the registered class, with its load routine; EClassNotFound
// "Class <%s> not registered" otherwise.
std::unique_ptr<TObject> CreateRegisteredObject(const AnsiString& name, TObjectStreamer& loadRoutine);
// A length byte, that many name bytes (the first 63 kept), then the class's own data.
std::unique_ptr<TObject> ReadObject(TStream* stream);
void WriteObject(TObject* object, TStream* stream);

// One raw-data property of a stored component (name, reader, writer, whether it is stored).
struct TRawProperty {
    AnsiString Name;
    std::function<void(TStream*)> ReadData;
    std::function<void(TStream*)> WriteData;
    bool Stored = false;
};

class TObjectList : public TPersistent {
public:
    static constexpr int32_t kMaxListSize = 0x1FFFFFFE;

    TObjectList();
    // Frees the items when the list owns them.
    ~TObjectList() override;
    TObjectList(const TObjectList&) = delete;
    TObjectList& operator=(const TObjectList&) = delete;
    const char* ClassName() const override { return "TObjectList"; }

    [[noreturn]] virtual void Error(int32_t index) const;
    virtual void GrowCapacity();
    // Replaces the reference at Index; the old object is not freed.
    virtual void Put(int32_t index, TObject* item);
    // Frees Item when the list owns its objects.
    virtual void FreeItem(TObject* item);
    virtual int32_t Add(TObject* item);
    // Forgets every reference (objects are not freed) and releases the array.
    virtual void Clear();
    virtual int32_t IndexOfItem(TObject* item) const;
    virtual void Insert(int32_t index, TObject* item);
    virtual void ReadItems(TStream* stream);
    virtual void WriteItems(TStream* stream);
    virtual TObject* First() const;
    virtual TObject* Last() const;
    // Direction 0 = previous, 1 = next; none gives First (next) or Last (previous).
    virtual TObject* GetNeighbour(TObject* item, int direction) const;

    // The "ObjectContainer" raw-data property, stored only when the list has items.
    virtual void DefineProperties(std::vector<TRawProperty>& properties);

    TObject* GetItem(int32_t index) const;
    TObject* operator[](int32_t index) const { return GetItem(index); }
    // Removes the reference at Index without freeing the object.
    void Delete(int32_t index);
    int32_t GetCount() const { return FCount; }
    void SetCount(int32_t n);
    int32_t GetCapacity() const { return FCapacity; }
    void SetItemCapacity(int32_t n);
    bool GetOwnsObjects() const { return FOwnsObjects; }
    void SetOwnsObjects(bool v) { FOwnsObjects = v; }

protected:
    // Index of that very reference, or -1.
    int32_t IndexOfReference(const TObject* item) const;
    // Loads count objects and adds them; on failure the list is as before.
    void ReadObjects(TStream* stream);

    std::vector<TObject*> FItems;   // FCapacity slots
    int32_t FCount = 0;
    int32_t FCapacity = 0;
    bool FOwnsObjects = true;
};

class TSortedObjectList : public TObjectList {
public:
    explicit TSortedObjectList(TDuplicates duplicates);
    const char* ClassName() const override { return "TSortedObjectList"; }

    // Always raises: a sorted list decides positions itself.
    void Put(int32_t index, TObject* item) override;
    // The sorted insert; returns 0.
    int32_t Add(TObject* item) override;
    // Index of that very object among the items with its key, or -1.
    int32_t IndexOfItem(TObject* item) const override;
    // Index is ignored. An equal key: dupIgnore leaves the list unchanged (the caller keeps
    // the object), dupError raises, dupAccept inserts before the equal items.
    void Insert(int32_t index, TObject* item) override;
    void ReadItems(TStream* stream) override;
    void WriteItems(TStream* stream) override;

    virtual const void* KeyOf(TObject* item) const { return item; }
    virtual int Compare(const void* key1, const void* key2) const = 0;
    // True when an item with an equal key exists; Index is where Key belongs.
    virtual bool Search(const void* key, int32_t& index) const;

    TDuplicates GetDuplicates() const { return FDuplicates; }

protected:
    TDuplicates FDuplicates;
};

}  // namespace zk
