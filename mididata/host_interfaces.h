// The host's plug-in protocol and MIDI data interfaces, declared from their
// documented slot order. Every method is HRESULT STDMETHODCALLTYPE; unnamed
// slots are placeholders that keep the later methods at their vtable index.
#pragma once

#include <objbase.h>
#include <ocidl.h>

#include "mididata/host_records.h"

// Identifiers shared by the host and the plug-in.
#define KV_HOST_IID(name, d1) \
  inline constexpr GUID IID_##name = {d1, 0x6709, 0x4267, {0x96, 0x96, 0x33, 0xD5, 0x6F, 0xEC, 0x4F, 0x6A}}
KV_HOST_IID(PluginMain, 0x0958ECA1);
KV_HOST_IID(HostTimeConverter, 0x0958ECA2);
KV_HOST_IID(PluginOptional, 0x0958ECA3);
KV_HOST_IID(HostPositionSink, 0x0958ECA6);
KV_HOST_IID(HostMidiData, 0x0958ECA8);
KV_HOST_IID(HostPortList, 0x0958ECA9);
KV_HOST_IID(HostPropertySet, 0x0958ECAA);
KV_HOST_IID(HostNotifySink, 0x0958ECAB);
#undef KV_HOST_IID
inline constexpr GUID IID_PluginLanguage = {0x9E43494C, 0x2217, 0x425F, {0xB3, 0x6A, 0x76, 0x2C, 0x9D, 0x4E, 0xE5, 0x8A}};

// Property sets and notification kinds share one tail.
#define KV_HOST_SET(name, d1) \
  inline constexpr GUID name = {d1, 0x9F3F, 0x4E80, {0xBC, 0xB5, 0x44, 0x82, 0xA5, 0xB5, 0x24, 0x0A}}
KV_HOST_SET(PROP_Meter, 0x9DD48DD1);
KV_HOST_SET(PROP_Loop, 0x9DD48DD5);
KV_HOST_SET(PROP_Position, 0x9DD48DD6);
KV_HOST_SET(PROP_Transport, 0x9DD48DD7);
KV_HOST_SET(NOTIFY_DataChanged, 0x9DD48DE0);
KV_HOST_SET(NOTIFY_KindE1, 0x9DD48DE1);
KV_HOST_SET(NOTIFY_KindE3, 0x9DD48DE3);
KV_HOST_SET(NOTIFY_KindE4, 0x9DD48DE4);
KV_HOST_SET(NOTIFY_KindE5, 0x9DD48DE5);
KV_HOST_SET(NOTIFY_PortsChanged, 0x9DD48DE6);
KV_HOST_SET(NOTIFY_KindE7, 0x9DD48DE7);
KV_HOST_SET(NOTIFY_KindE8, 0x9DD48DE8);
KV_HOST_SET(NOTIFY_LoopChanged, 0x9DD48DE9);
KV_HOST_SET(NOTIFY_LoopModeChanged, 0x9DD48DEA);
KV_HOST_SET(NOTIFY_KindEB, 0x9DD48DEB);
KV_HOST_SET(NOTIFY_RefreshEditor, 0x9DD48DEC);
KV_HOST_SET(NOTIFY_KindEE, 0x9DD48DEE);
#undef KV_HOST_SET
inline constexpr GUID PROP_PitchOffset = {0x8965887B, 0xF47B, 0x4FDD, {0x96, 0x76, 0xCF, 0xB1, 0x27, 0x40, 0x47, 0x52}};

// Plug-in classes.
inline constexpr GUID CLSID_PianoRollPlugin = {0x1E63636E, 0xD32C, 0x494A, {0xB6, 0x55, 0x3A, 0x75, 0x68, 0x56, 0xBA, 0xF4}};
inline constexpr GUID CLSID_EditorPage = {0x31E758B3, 0x4C93, 0x428D, {0xA9, 0x44, 0xBF, 0x97, 0x5F, 0x9D, 0x40, 0xAC}};

// The host's site object: reached only through QueryInterface for the data
// interfaces below and IConnectionPointContainer.
using HostSite = IUnknown;

struct HostMidiOutput;

// The plug-in's main interface, called by the host.
struct PluginMain : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Connect(IUnknown* site, IUnknown* output, DWORD flags, DWORD reserved,
                                            DWORD* capabilities) = 0;
  virtual HRESULT STDMETHODCALLTYPE Disconnect() = 0;
};

struct PluginLanguage : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE SetLanguage(LCID lcid) = 0;
};

// Implemented by the plug-in, advised on the host's connection points.
struct HostNotifySink : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE OnNotify(const HostNotification* record) = 0;
};

struct HostPositionSink : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE OnPositionChanged(DWORD a, DWORD b) = 0;
};

// The host's MIDI output service (monitoring and note preview).
struct HostMidiOutput : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE SendEvent(MidiEvent* event, DWORD flags) = 0;
};

struct HostMidiData : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE EnumFirst(ItemPath* path, LONG level, void* record, DWORD* cursor,
                                              DWORD filter) = 0;
  virtual HRESULT STDMETHODCALLTYPE EnumNext(ItemPath* path, LONG level, void* record, DWORD* cursor,
                                             DWORD filter) = 0;
  virtual HRESULT STDMETHODCALLTYPE EnumPrev(ItemPath* path, LONG level, void* record, DWORD* cursor,
                                             DWORD filter) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetItem(ItemPath* path, LONG level, void* record, DWORD flags) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetItem(const ItemPath* path, LONG level, const void* record, DWORD mask) = 0;
  virtual HRESULT STDMETHODCALLTYPE InsertItem(ItemPath* path, LONG level, const void* record) = 0;
  virtual HRESULT STDMETHODCALLTYPE Reserved9() = 0;
  virtual HRESULT STDMETHODCALLTYPE Reserved10() = 0;
  virtual HRESULT STDMETHODCALLTYPE DeleteItem(LONG level, const ItemPath* path) = 0;
  virtual HRESULT STDMETHODCALLTYPE BeginEdit(LONG undoable, LPCWSTR label) = 0;
  virtual HRESULT STDMETHODCALLTYPE EndEdit(LONG commit) = 0;
  virtual HRESULT STDMETHODCALLTYPE DeselectAll(LONG level, DWORD a, DWORD typeMask, DWORD b, DWORD c, DWORD d,
                                                DWORD e, DWORD f, DWORD g) = 0;
};

// GetItem flags.
enum : DWORD { kGetEvent = 0, kGetRecord = 2, kGetWithName = 0x10000002 };
// SetItem change masks.
enum : DWORD { kSetAll = 0xFFFF, kSetSelected = 0x8000, kSetSolo = 0x1000 };

struct HostTimeConverter : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Convert(DWORD timeLow, LONG timeHigh, DWORD fromFormat, DWORD reserved,
                                            LONGLONG* result, DWORD toFormat, DWORD reserved2) = 0;
  virtual HRESULT STDMETHODCALLTYPE ToMeasureBeatTick(DWORD timeLow, LONG timeHigh, DWORD format, DWORD reserved,
                                                      LONG* measure, LONG* beat, LONG* tick) = 0;
  virtual HRESULT STDMETHODCALLTYPE Reserved5() = 0;
  virtual HRESULT STDMETHODCALLTYPE GetTimeBase(DWORD format, HostTimeBase* out) = 0;
};

struct HostPropertySet : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Reserved3() = 0;
  virtual HRESULT STDMETHODCALLTYPE Reserved4() = 0;
  virtual HRESULT STDMETHODCALLTYPE GetProperty(REFGUID set, DWORD a, DWORD b, DWORD c, DWORD size, void* out) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetProperty(REFGUID set, DWORD a, DWORD b, DWORD size, const void* in) = 0;
};

struct HostPortList : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetPorts(LONG output, DWORD* count, HostPortRecord** table) = 0;
};

// Typed QueryInterface for the interfaces above, which carry no __uuidof.
template <class T> struct KvIid;
#define KV_IID_OF(T) \
  template <> struct KvIid<T> { static constexpr const GUID& value = IID_##T; }
KV_IID_OF(PluginMain);
KV_IID_OF(PluginLanguage);
KV_IID_OF(HostNotifySink);
KV_IID_OF(HostPositionSink);
KV_IID_OF(HostMidiData);
KV_IID_OF(HostTimeConverter);
KV_IID_OF(HostPropertySet);
KV_IID_OF(HostPortList);
#undef KV_IID_OF

template <class T> HRESULT KvQuery(IUnknown* from, T** out) {
  return from->QueryInterface(KvIid<T>::value, reinterpret_cast<void**>(out));
}
