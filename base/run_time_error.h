#pragma once
// The one kind of failure the game raises: a run-time error with a number and a
// description, caught by the trap of the procedure it happens in and shown to the
// player in the error box.

#include <cstdint>
#include <stdexcept>
#include <string>

namespace velloran {

// The error numbers the game can raise, with the texts the player sees.
enum ErrorNumber : std::int32_t {
  kInvalidProcedureCall = 5,
  kOverflow = 6,
  kOutOfMemory = 7,
  kSubscriptOutOfRange = 9,
  kDivisionByZero = 11,
  kTypeMismatch = 13,
  kBadFileNameOrNumber = 52,
  kFileNotFound = 53,
  kBadFileMode = 54,
  kDeviceIOError = 57,
  kBadRecordLength = 59,
  kDiskFull = 61,
  kInputPastEndOfFile = 62,
  kPermissionDenied = 70,
  kPathFileAccessError = 75,
  kPathNotFound = 76,
  kObjectVariableNotSet = 91,
};

// The standard description of an error number ("Overflow", "Subscript out of range", ...).
std::string describeError(std::int32_t number);

class RunTimeError : public std::runtime_error {
 public:
  explicit RunTimeError(std::int32_t number);
  RunTimeError(std::int32_t number, std::string description);

  std::int32_t number() const { return number_; }
  const std::string& description() const { return description_; }

 private:
  std::int32_t number_;
  std::string description_;
};

// Raises the error with its standard description.
[[noreturn]] void raiseError(std::int32_t number);

}  // namespace velloran
