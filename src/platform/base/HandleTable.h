// HandleTable.h: the one table behind every handle the platform gives out (GDI objects, registry
// keys, windows, menus, accelerator tables). A handle is (generation << 24) | (slot + 1): never 0,
// and stale once its slot is freed, so a closed or made-up handle is refused, never followed.
// The table holds pointers only; the layer that adds a record owns it and frees it after removing
// its handle.
#pragma once

#include <cstdint>

enum class HandleKind : uint8_t { Gdi = 1, RegistryKey, Window, Menu, Accelerator };

// The handle for record (never null), or null when the table is full or record is null.
void* HandleAdd(HandleKind kind, void* record);
// The record behind handle when it is live and of this kind; null otherwise.
void* HandleLookup(HandleKind kind, const void* handle);
// Frees handle's slot; a stale handle or one of another kind is ignored.
void HandleRemove(HandleKind kind, const void* handle);
// Calls visit for every live handle of kind, in slot order; visit may remove the handle it is given.
void HandleForEach(HandleKind kind, void (*visit)(void* handle, void* record, void* context), void* context);
