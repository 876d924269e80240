// MIDI files: whatever the bytes, the reader either refuses them with an
// offset inside the file or gives tracks that, as a project, write a file
// that reads back as the same project.
#include "host/smf/smf_project.h"
#include "host/smf/tempo_map.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  SmfFile file;
  SmfError error;
  if (!ReadSmf(data, size, &file, &error)) {
    if (error.offset > size || error.message.empty()) __builtin_trap();
    return 0;
  }
  const ProjectImage project = ProjectFromSmf(file);
  const TempoMap tempo(project);
  if (tempo.TickAt(tempo.MicrosAt(1000)) > 1000) __builtin_trap();
  const std::vector<uint8_t> written = WriteSmf(SmfFromProject(project));
  SmfFile again;
  if (!ReadSmf(written.data(), written.size(), &again, &error)) __builtin_trap();
  const ProjectImage reread = ProjectFromSmf(again);
  // A project read from a file writes itself exactly.
  if (!(project == reread)) __builtin_trap();
  return 0;
}
