#include "host_fixture.h"

#include "host/notices.h"

namespace refhost {

HostFixture::HostFixture() {
  t1 = host.AddTrack({.name = L"Piano", .channel = 0});
  t2 = host.AddTrack({.name = L"Bass", .channel = 1, .orderKey = 0});
  b1 = host.AddBlock(t1, {.start = 0, .end = 3840, .name = L"Verse"});
  b2 = host.AddBlock(t1, {.start = 3840, .end = 7680, .name = L"Chorus"});
  b3 = host.AddBlock(t2, {.start = 0, .end = 3840});
  e1 = host.AddEvent(b1, Note(0, 240, 60));
  e2 = host.AddEvent(b1, Controller(240, 7, 100));
  e3 = host.AddEvent(b1, Selected(Note(480, 240, 64)));
  e4 = host.AddEvent(b1, LongEvent(kEvSysex, 480), sysex);
  e5 = host.AddEvent(b1, Note(960, 480, 67));
  e6 = host.AddEvent(b2, Note(3840, 480, 72));
  e7 = host.AddEvent(b3, Note(0, 960, 36, 100, 1));
  EXPECT_EQ(KvQuery(host.site(), data.put()), S_OK);
  EXPECT_EQ(KvQuery(host.site(), properties.put()), S_OK);
  EXPECT_EQ(KvQuery(host.site(), time.put()), S_OK);
  EXPECT_EQ(KvQuery(host.site(), ports.put()), S_OK);
  host.Log().Clear();
}

HostFixture::~HostFixture() {
  if (advised_) {
    EXPECT_EQ(probe->UnadviseFrom(host.site()), S_OK);
  }
}

void HostFixture::Advise() {
  ASSERT_EQ(probe->AdviseOn(host.site()), S_OK);
  advised_ = true;
  host.Log().Clear();
  host.ClearDeliveries();
}

std::vector<std::string> HostFixture::ProbeTexts() const {
  std::vector<std::string> out;
  for (const HostNotification& n : probe->records) out.push_back(NoticeText(n));
  return out;
}

}  // namespace refhost
