#include <windows.h>
#include <ole2.h>

#include <cstdio>

#include "host/selfcheck.h"

namespace refhost {

void Checklist::Section(const char* title) { std::printf("\n== %s\n", title); }

bool Checklist::Check(bool ok, const std::string& what) {
  ++total_;
  if (!ok) ++failures_;
  std::printf("%s %s\n", ok ? "ok  " : "FAIL", what.c_str());
  return ok;
}

}  // namespace refhost

int main() {
  if (FAILED(OleInitialize(nullptr))) return 2;
  int failures = 0;
  {
    refhost::Checklist list;
    refhost::SelfCheckSession session;
    refhost::BuildSong(session);
    std::printf("Reference host self-check\n\nProject:\n%s", refhost::Describe(session.host.song()).c_str());
    refhost::CheckConnect(session, list);
    refhost::CheckEnumeration(session, list);
    refhost::CheckEditUndoRedo(session, list);
    refhost::CheckProperties(session, list);
    refhost::CheckTimeConversion(session, list);
    refhost::CheckPorts(session, list);
    refhost::CheckDisconnect(session, list);
    failures = list.Failures();
    std::printf("\n%d of %d checks passed\n", list.Total() - failures, list.Total());
  }
  OleUninitialize();
  return failures == 0 ? 0 : 1;
}
