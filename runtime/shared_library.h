#pragma once
// Libraries that only some moments of the game need (the sound mixer, the font renderer),
// opened when first needed: start-up then loads neither them nor all that they depend on.
// A function list names each library's functions once; their types come from the library's
// own header.

#include <type_traits>

namespace velloran::rt {

// The library's handle (nullptr when it cannot be opened) and a function of it.
void* openSharedLibrary(const char* file);
void* sharedFunction(void* library, const char* name);

// Fills `functions` from the library (once); false when the library or a function is missing.
template <class Functions>
bool bindSharedLibrary(Functions& functions, const char* file) {
  void* library = openSharedLibrary(file);
  if (!library) return false;
  bool complete = true;
  functions.forEach([&](auto*& function, const char* name) {
    function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(
        sharedFunction(library, name));
    complete = complete && function;
  });
  return complete;
}

}  // namespace velloran::rt
