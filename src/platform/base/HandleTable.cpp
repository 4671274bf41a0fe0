// HandleTable.cpp: slots with generations, and a free list so freed slots are reused.
#include "platform/base/HandleTable.h"

#include <cstddef>
#include <vector>

namespace {

constexpr unsigned SlotBits = 24;
constexpr uintptr_t SlotMask = (uintptr_t(1) << SlotBits) - 1;

struct HandleSlot {
    void* Record;
    uintptr_t Generation;
    HandleKind Kind;
};

struct Table {
    std::vector<HandleSlot> Slots;
    std::vector<uint32_t> Free;
};

// Never destroyed: handles may be released from static destructors.
Table& Handles() {
    static Table* table = new Table();
    return *table;
}

HandleSlot* Find(HandleKind kind, const void* handle) {
    auto value = reinterpret_cast<uintptr_t>(handle);
    uintptr_t slot = value & SlotMask;
    Table& t = Handles();
    if (slot == 0 || slot - 1 >= t.Slots.size()) return nullptr;
    HandleSlot& s = t.Slots[slot - 1];
    if (s.Record == nullptr || s.Kind != kind || s.Generation != (value >> SlotBits)) return nullptr;
    return &s;
}

} // namespace

void* HandleAdd(HandleKind kind, void* record) {
    if (record == nullptr) return nullptr;
    Table& t = Handles();
    uint32_t slot;
    if (!t.Free.empty()) {
        slot = t.Free.back();
        t.Free.pop_back();
    } else {
        if (t.Slots.size() >= SlotMask) return nullptr;
        slot = uint32_t(t.Slots.size());
        t.Slots.push_back(HandleSlot{nullptr, 0, kind});
    }
    HandleSlot& s = t.Slots[slot];
    s.Record = record;
    s.Kind = kind;
    // Generations stay within the bits above the slot on every pointer width.
    s.Generation = (s.Generation + 1) & (~uintptr_t(0) >> SlotBits);
    if (s.Generation == 0) s.Generation = 1;
    return reinterpret_cast<void*>((s.Generation << SlotBits) | (uintptr_t(slot) + 1));
}

void* HandleLookup(HandleKind kind, const void* handle) {
    HandleSlot* s = Find(kind, handle);
    return s ? s->Record : nullptr;
}

void HandleRemove(HandleKind kind, const void* handle) {
    HandleSlot* s = Find(kind, handle);
    if (s == nullptr) return;
    s->Record = nullptr;
    Handles().Free.push_back(uint32_t(s - Handles().Slots.data()));
}

void HandleForEach(HandleKind kind, void (*visit)(void*, void*, void*), void* context) {
    Table& t = Handles();
    for (size_t i = 0; i < t.Slots.size(); ++i) {
        HandleSlot s = t.Slots[i];
        if (s.Record == nullptr || s.Kind != kind) continue;
        visit(reinterpret_cast<void*>((s.Generation << SlotBits) | (uintptr_t(i) + 1)), s.Record, context);
    }
}
