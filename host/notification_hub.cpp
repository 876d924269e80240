#include "host/notification_hub.h"

#include "host/notices.h"

namespace refhost {
namespace {

template <class Sink> bool Remove(std::vector<std::pair<DWORD, ComRef<Sink>>>& sinks, DWORD cookie) {
  for (auto it = sinks.begin(); it != sinks.end(); ++it) {
    if (it->first == cookie) {
      // Released after leaving the list: the sink's destructor may call back.
      ComRef<Sink> released = std::move(it->second);
      sinks.erase(it);
      return true;
    }
  }
  return false;
}

// The sinks as they are now, each kept alive for the call: a sink may unadvise
// itself or others while it is being called.
template <class Sink> std::vector<ComRef<Sink>> Snapshot(const std::vector<std::pair<DWORD, ComRef<Sink>>>& sinks) {
  std::vector<ComRef<Sink>> out;
  for (const auto& s : sinks) out.push_back(ComRef<Sink>::Retain(s.second.get()));
  return out;
}

}  // namespace

std::string SinkCall::Text() const {
  if (kind == Kind::Position) return "Position(" + std::to_string(a) + "," + std::to_string(b) + ")";
  return NoticeText(record);
}

DWORD NotificationHub::AdviseNotify(ComRef<HostNotifySink> sink) {
  notify_.emplace_back(nextCookie_, std::move(sink));
  return nextCookie_++;
}

DWORD NotificationHub::AdvisePosition(ComRef<HostPositionSink> sink) {
  position_.emplace_back(nextCookie_, std::move(sink));
  return nextCookie_++;
}

bool NotificationHub::UnadviseNotify(DWORD cookie) { return Remove(notify_, cookie); }

bool NotificationHub::UnadvisePosition(DWORD cookie) { return Remove(position_, cookie); }

std::vector<ComRef<HostNotifySink>> NotificationHub::NotifySinks() const {
  std::vector<ComRef<HostNotifySink>> out;
  for (const auto& [cookie, sink] : notify_) out.push_back(ComRef<HostNotifySink>::Retain(sink.get()));
  return out;
}

std::vector<ComRef<HostPositionSink>> NotificationHub::PositionSinks() const {
  std::vector<ComRef<HostPositionSink>> out;
  for (const auto& [cookie, sink] : position_) out.push_back(ComRef<HostPositionSink>::Retain(sink.get()));
  return out;
}

void NotificationHub::ReleaseSinks() {
  auto notify = std::move(notify_);
  auto position = std::move(position_);
  notify_.clear();
  position_.clear();
}

void NotificationHub::Report(const HostNotification& record, bool insideBracket) {
  if (mode_ == Delivery::AtBracketEnd && insideBracket)
    pending_.push_back(record);
  else
    Deliver(record);
}

void NotificationHub::Flush() {
  while (!pending_.empty()) {
    const HostNotification record = pending_.front();
    pending_.pop_front();
    Deliver(record);
  }
}

std::vector<HRESULT> NotificationHub::Deliver(const HostNotification& record) {
  const size_t index = log_.size();
  log_.push_back({SinkCall::Kind::Notify, record, 0, 0, {}});
  std::vector<HRESULT> results;
  for (const ComRef<HostNotifySink>& sink : Snapshot(notify_)) {
    HostNotification copy = record;  // each sink gets its own record
    results.push_back(sink->OnNotify(&copy));
  }
  log_[index].results = results;
  return results;
}

std::vector<HRESULT> NotificationHub::PositionChanged(DWORD a, DWORD b) {
  const size_t index = log_.size();
  log_.push_back({SinkCall::Kind::Position, {}, a, b, {}});
  std::vector<HRESULT> results;
  for (const ComRef<HostPositionSink>& sink : Snapshot(position_)) results.push_back(sink->OnPositionChanged(a, b));
  log_[index].results = results;
  return results;
}

}  // namespace refhost
