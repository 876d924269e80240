#include "shell/module_objects.h"

#include <atomic>

namespace {
// Objects may die on whatever thread releases them last.
std::atomic<long> g_liveObjects{0};
}  // namespace

ModuleObject::ModuleObject() { g_liveObjects.fetch_add(1); }

ModuleObject::~ModuleObject() { g_liveObjects.fetch_sub(1); }

long LiveModuleObjects() { return g_liveObjects.load(); }
