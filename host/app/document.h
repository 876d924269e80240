// A document of the host application: a project kept by the reference host's
// engine, opened from and saved to a Standard MIDI File, with the plug-in's
// settings carried inside the file.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "host/ref_host.h"
#include "host/smf/smf_project.h"
#include "host/smf/tempo_map.h"

class Document {
 public:
  // An empty song: a conductor track and one track to draw in.
  static std::unique_ptr<Document> New();
  // nullptr with *error naming the problem (and where in the file) when the
  // file cannot be read.
  static std::unique_ptr<Document> Open(const std::wstring& path, std::wstring* error);

  refhost::RefHost& host() { return *host_; }
  const std::wstring& path() const { return path_; }
  const std::vector<uint8_t>& settings() const { return settings_; }
  const TempoMap& tempo() const { return tempo_; }
  uint16_t ticksPerQuarter() const { return ticksPerQuarter_; }

  // The project as it stands now, with the plug-in's settings.
  ProjectImage Image(const std::vector<uint8_t>& settings) const;
  // Writes to a temporary file beside path and replaces path only when the
  // whole file was written; false with *error otherwise.
  bool Save(const std::wstring& path, const std::vector<uint8_t>& settings, std::wstring* error);

 private:
  Document();
  void Load(const ProjectImage& project);

  std::unique_ptr<refhost::RefHost> host_;
  std::wstring path_;
  std::vector<uint8_t> settings_;
  TempoMap tempo_;
  uint16_t ticksPerQuarter_ = 480;
};
