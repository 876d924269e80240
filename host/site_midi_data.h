// HostMidiData of the site: enumeration, reading and writing tracks, blocks and
// events, edit brackets and DeselectAll, with every call logged.
#pragma once

#include "host/enumeration.h"
#include "host/site_part.h"
#include "mididata/host_interfaces.h"

namespace refhost {

class SiteMidiData final : public SitePart<HostMidiData> {
 public:
  using SitePart::SitePart;

  HRESULT STDMETHODCALLTYPE EnumFirst(ItemPath* path, LONG level, void* record, DWORD* cursor, DWORD filter) override;
  HRESULT STDMETHODCALLTYPE EnumNext(ItemPath* path, LONG level, void* record, DWORD* cursor, DWORD filter) override;
  HRESULT STDMETHODCALLTYPE EnumPrev(ItemPath* path, LONG level, void* record, DWORD* cursor, DWORD filter) override;
  HRESULT STDMETHODCALLTYPE GetItem(ItemPath* path, LONG level, void* record, DWORD flags) override;
  HRESULT STDMETHODCALLTYPE SetItem(const ItemPath* path, LONG level, const void* record, DWORD mask) override;
  HRESULT STDMETHODCALLTYPE InsertItem(ItemPath* path, LONG level, const void* record) override;
  HRESULT STDMETHODCALLTYPE Reserved9() override;
  HRESULT STDMETHODCALLTYPE Reserved10() override;
  HRESULT STDMETHODCALLTYPE DeleteItem(LONG level, const ItemPath* path) override;
  HRESULT STDMETHODCALLTYPE BeginEdit(LONG undoable, LPCWSTR label) override;
  HRESULT STDMETHODCALLTYPE EndEdit(LONG commit) override;
  HRESULT STDMETHODCALLTYPE DeselectAll(LONG level, DWORD a, DWORD typeMask, DWORD b, DWORD c, DWORD d, DWORD e,
                                        DWORD f, DWORD g) override;

 private:
  HRESULT Walk(EnumStep step, ItemPath* path, LONG level, void* record, DWORD* cursor, DWORD filter);
  // Copies the record of the item path names at level; names when asked.
  HRESULT ReadOut(HostState& s, const ItemPath& path, LONG level, void* record, bool withName, const char* via);
  HRESULT Change(HostState& s, const ItemPath& path, LONG level, const void* record, DWORD mask);
  HRESULT Insert(HostState& s, ItemPath* path, LONG level, const void* record);
};

}  // namespace refhost
