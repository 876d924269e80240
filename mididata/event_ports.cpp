// The host's MIDI port tables and sending single events to its output.
#include <objbase.h>

#include <cstring>

#include "mididata/event_store.h"

void FreePortTable(HostPortRecord* records, DWORD count) {
  if (!records) return;
  for (DWORD i = 0; i < count; ++i) CoTaskMemFree(records[i].name);
  CoTaskMemFree(records);
}

HRESULT EventStore::RefreshPorts(bool output) {
  PortTable& t = Ports(output);
  KvGuid remembered{};
  int32_t index = -1;
  const bool haveGuid = FindPortById(output, t.current, &index) == S_OK;
  if (haveGuid) remembered = t.records[index].guid;
  FreePortTable(t.records, t.count);
  t.records = nullptr;
  t.count = 0;
  if (!host_.ports) return E_UNEXPECTED;

  DWORD count = 0;
  HostPortRecord* records = nullptr;
  HRESULT hr = host_.ports->GetPorts(output ? 1 : 0, &count, &records);
  if (FAILED(hr) || count == 0 || !records) {
    FreePortTable(records, count);
    return hr;
  }
  t.records = records;
  t.count = count;
  if (!haveGuid || FindPortByGuid(output, remembered, &index) != S_OK) index = 0;
  t.current = t.records[index].id;
  return S_OK;
}

int32_t EventStore::PortCount(bool output) const { return static_cast<int32_t>(Ports(output).count); }

HRESULT EventStore::PortAt(bool output, int32_t index, HostPortRecord* out) const {
  const PortTable& t = Ports(output);
  if (index < 0 || static_cast<DWORD>(index) >= t.count) return S_FALSE;
  *out = t.records[index];
  return S_OK;
}

uint32_t EventStore::CurrentPort(bool output) const { return Ports(output).current; }

void EventStore::SetCurrentPort(bool output, uint32_t id) { Ports(output).current = id; }

HRESULT EventStore::FindPortById(bool output, uint32_t id, int32_t* index) const {
  const PortTable& t = Ports(output);
  for (DWORD i = 0; i < t.count; ++i) {
    if (t.records[i].id == id) {
      *index = static_cast<int32_t>(i);
      return S_OK;
    }
  }
  return S_FALSE;
}

HRESULT EventStore::FindPortByGuid(bool output, const KvGuid& guid, int32_t* index) const {
  const PortTable& t = Ports(output);
  for (DWORD i = 0; i < t.count; ++i) {
    if (std::memcmp(&t.records[i].guid, &guid, sizeof guid) == 0) {
      *index = static_cast<int32_t>(i);
      return S_OK;
    }
  }
  return S_FALSE;
}

bool EventStore::CanSendEvents() const { return host_.output && outputPorts_.count > 0; }

HRESULT EventStore::SendEvent(MidiEvent* event, DWORD flags) {
  if (!host_.output) return S_FALSE;
  if (event->port == 0) event->port = outputPorts_.current;
  event->hostField20 = 0;
  return host_.output->SendEvent(event, flags);
}
