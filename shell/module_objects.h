// The module's count of live COM objects. Every object the module serves holds
// a ModuleObject member, so the count is taken in its constructor and dropped in
// its destructor; DllCanUnloadNow refuses while any object is alive, because a
// host that unloads the module under a live object crashes on its next call.
#pragma once

class ModuleObject {
 public:
  ModuleObject();
  ~ModuleObject();
  ModuleObject(const ModuleObject&) = delete;
  ModuleObject& operator=(const ModuleObject&) = delete;
};

long LiveModuleObjects();
