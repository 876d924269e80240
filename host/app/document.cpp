#include "host/app/document.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr uint16_t kNewSongTicks = 480;
constexpr int64_t kNewSongLength = 4 * 4 * kNewSongTicks;  // four measures of 4/4

std::wstring Widen(const std::string& text) { return std::wstring(text.begin(), text.end()); }

std::wstring SystemMessage(DWORD code) {
  wchar_t* text = nullptr;
  FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                 code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring out = text ? text : L"error " + std::to_wstring(code);
  if (text) LocalFree(text);
  while (!out.empty() && (out.back() == L'\n' || out.back() == L'\r' || out.back() == L'.')) out.pop_back();
  return out;
}

bool ReadFileBytes(const std::wstring& path, std::vector<uint8_t>* bytes, std::wstring* error) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    *error = SystemMessage(GetLastError());
    return false;
  }
  LARGE_INTEGER size{};
  bool ok = GetFileSizeEx(file, &size) != 0;
  // A MIDI file is small; anything past 256 MB is not one.
  if (ok && size.QuadPart > (int64_t{256} << 20)) {
    CloseHandle(file);
    *error = L"the file is too large to be a MIDI file";
    return false;
  }
  if (ok) {
    bytes->resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    ok = ReadFile(file, bytes->data(), static_cast<DWORD>(bytes->size()), &read, nullptr) && read == bytes->size();
  }
  if (!ok) *error = SystemMessage(GetLastError());
  CloseHandle(file);
  return ok;
}

// The meter of the first time signature, as the host's beat unit code.
void ApplyMeter(refhost::RefHost& host, const ProjectImage& project) {
  for (const ProjectTrack& track : project.tracks) {
    for (const ProjectEvent& e : track.events) {
      const std::vector<uint8_t>& p = e.payload;
      if (e.record.type == kEvMeta && p.size() >= 3 && p[0] == 0x58 && p[1] > 0 && p[2] <= 5) {
        host.SetMeter(p[1], p[2]);
        return;
      }
    }
  }
}

}  // namespace

Document::Document() : host_(std::make_unique<refhost::RefHost>()), tempo_(kNewSongTicks, {}) {}

std::unique_ptr<Document> Document::New() {
  std::unique_ptr<Document> doc(new Document());
  ProjectImage project;
  project.ticksPerQuarter = kNewSongTicks;
  project.tracks.resize(2);
  project.tracks[0].name = L"Conductor";
  project.tracks[1].name = L"Piano";
  for (ProjectTrack& t : project.tracks) t.end = kNewSongLength;
  doc->Load(project);
  return doc;
}

std::unique_ptr<Document> Document::Open(const std::wstring& path, std::wstring* error) {
  std::vector<uint8_t> bytes;
  if (!ReadFileBytes(path, &bytes, error)) return nullptr;
  SmfFile file;
  SmfError problem;
  if (!ReadSmf(bytes.data(), bytes.size(), &file, &problem)) {
    *error = Widen(problem.message) + L" (at byte " + std::to_wstring(problem.offset) + L")";
    return nullptr;
  }
  std::unique_ptr<Document> doc(new Document());
  doc->path_ = path;
  ProjectImage project = ProjectFromSmf(file);
  // The editor never lists the project's first track; a song of one track
  // gets an empty one in front.
  if (project.tracks.size() < 2) project.tracks.insert(project.tracks.begin(), ProjectTrack{L"Conductor", 0, {}});
  doc->Load(project);
  return doc;
}

void Document::Load(const ProjectImage& project) {
  ticksPerQuarter_ = std::max<uint16_t>(project.ticksPerQuarter, 1);
  settings_ = project.settings;
  tempo_ = TempoMap(project);
  refhost::RefHost& host = *host_;
  host.SetTicksPerQuarter(ticksPerQuarter_);
  host.SetTempo(tempo_.MicrosPerQuarterAt(0));
  ApplyMeter(host, project);
  for (const ProjectTrack& track : project.tracks) {
    const ItemPath t = host.AddTrack({.name = track.name, .channel = -1});
    int64_t end = track.end;
    for (const ProjectEvent& e : track.events) {
      const int64_t last = e.record.type == kEvNoteOn ? e.record.start + e.record.duration : e.record.start;
      end = std::max(end, last);
    }
    const ItemPath block = host.AddBlock(t, {.start = 0, .end = std::max<int64_t>(end, 1)});
    for (const ProjectEvent& e : track.events) host.AddEvent(block, e.record, e.payload);
  }
}

ProjectImage Document::Image(const std::vector<uint8_t>& settings) const {
  ProjectImage project;
  project.ticksPerQuarter = ticksPerQuarter_;
  project.settings = settings;
  for (const refhost::SongTrack& track : host_->song().tracks) {
    ProjectTrack out;
    out.name = track.name;
    for (const refhost::SongBlock& block : track.blocks) {
      out.end = std::max(out.end, block.info.end);
      for (const refhost::SongEvent& e : block.events) out.events.push_back({e.record, e.payload});
    }
    // Blocks may overlap; the file wants one time order, file order kept within a tick.
    std::stable_sort(out.events.begin(), out.events.end(),
                     [](const ProjectEvent& a, const ProjectEvent& b) { return a.record.start < b.record.start; });
    project.tracks.push_back(std::move(out));
  }
  return project;
}

bool Document::Save(const std::wstring& path, const std::vector<uint8_t>& settings, std::wstring* error) {
  const std::vector<uint8_t> bytes = WriteSmf(SmfFromProject(Image(settings)));
  const std::wstring temporary = path + L".saving";
  HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    *error = SystemMessage(GetLastError());
    return false;
  }
  DWORD written = 0;
  bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
            written == bytes.size() && FlushFileBuffers(file);
  DWORD code = ok ? 0 : GetLastError();
  CloseHandle(file);
  if (ok && !MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    ok = false;
    code = GetLastError();
  }
  if (!ok) {
    DeleteFileW(temporary.c_str());
    *error = SystemMessage(code);
    return false;
  }
  path_ = path;
  settings_ = settings;
  return true;
}
