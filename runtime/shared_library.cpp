#include "runtime/shared_library.h"

#include <dlfcn.h>

namespace velloran::rt {

void* openSharedLibrary(const char* file) {
  return dlopen(file, RTLD_NOW | RTLD_LOCAL);
}

void* sharedFunction(void* library, const char* name) {
  return dlsym(library, name);
}

}  // namespace velloran::rt
