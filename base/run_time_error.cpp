#include "base/run_time_error.h"

namespace velloran {

std::string describeError(std::int32_t number) {
  switch (number) {
    case kInvalidProcedureCall:
      return "Invalid procedure call or argument";
    case kOverflow:
      return "Overflow";
    case kOutOfMemory:
      return "Out of memory";
    case kSubscriptOutOfRange:
      return "Subscript out of range";
    case kDivisionByZero:
      return "Division by zero";
    case kTypeMismatch:
      return "Type mismatch";
    case kBadFileNameOrNumber:
      return "Bad file name or number";
    case kFileNotFound:
      return "File not found";
    case kBadFileMode:
      return "Bad file mode";
    case kDeviceIOError:
      return "Device I/O error";
    case kBadRecordLength:
      return "Bad record length";
    case kDiskFull:
      return "Disk full";
    case kInputPastEndOfFile:
      return "Input past end of file";
    case kPermissionDenied:
      return "Permission denied";
    case kPathFileAccessError:
      return "Path/File access error";
    case kPathNotFound:
      return "Path not found";
    case kObjectVariableNotSet:
      return "Object variable or With block variable not set";
    default:
      return "Application-defined or object-defined error";
  }
}

RunTimeError::RunTimeError(std::int32_t number) : RunTimeError(number, describeError(number)) {}

RunTimeError::RunTimeError(std::int32_t number, std::string description)
    : std::runtime_error(description), number_(number), description_(std::move(description)) {}

void raiseError(std::int32_t number) {
  throw RunTimeError(number);
}

}  // namespace velloran
