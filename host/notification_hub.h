// The advised sinks and the delivery of change records and position changes to
// them. Records are delivered at once or, in deferred mode, collected while an
// edit bracket is open and delivered when the outermost bracket closes. Every
// delivery is logged with what each sink answered.
#pragma once

#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "host/com_ref.h"
#include "mididata/host_interfaces.h"

namespace refhost {

enum class Delivery {
  Immediate,     // each sink is called from inside the call that made the change
  AtBracketEnd,  // changes made inside a bracket wait for the outermost EndEdit
};

struct SinkCall {
  enum class Kind { Notify, Position };
  Kind kind = Kind::Notify;
  HostNotification record{};  // Notify
  DWORD a = 0, b = 0;         // Position: the arguments passed
  std::vector<HRESULT> results;  // one per sink called, in the order they were advised
  std::string Text() const;      // NoticeText, or "Position(a,b)"
};

class NotificationHub {
 public:
  // Cookies are non-zero and unique across both kinds of sink.
  DWORD AdviseNotify(ComRef<HostNotifySink> sink);
  DWORD AdvisePosition(ComRef<HostPositionSink> sink);
  bool UnadviseNotify(DWORD cookie);
  bool UnadvisePosition(DWORD cookie);
  size_t AdvisedCount() const { return notify_.size() + position_.size(); }
  // The advised sinks themselves, for a caller that reports from its own thread.
  std::vector<ComRef<HostNotifySink>> NotifySinks() const;
  std::vector<ComRef<HostPositionSink>> PositionSinks() const;
  void ReleaseSinks();

  void SetDelivery(Delivery mode) { mode_ = mode; }
  // A change made by the host; insideBracket tells whether an edit bracket is open.
  void Report(const HostNotification& record, bool insideBracket);
  // Delivers what waited for the end of the bracket.
  void Flush();
  size_t Pending() const { return pending_.size(); }
  // Calls every notification sink now; the sinks' answers in advise order.
  std::vector<HRESULT> Deliver(const HostNotification& record);
  std::vector<HRESULT> PositionChanged(DWORD a, DWORD b);

  const std::vector<SinkCall>& Log() const { return log_; }
  void ClearLog() { log_.clear(); }

 private:
  Delivery mode_ = Delivery::Immediate;
  DWORD nextCookie_ = 1;
  std::vector<std::pair<DWORD, ComRef<HostNotifySink>>> notify_;
  std::vector<std::pair<DWORD, ComRef<HostPositionSink>>> position_;
  std::deque<HostNotification> pending_;
  std::vector<SinkCall> log_;
};

}  // namespace refhost
