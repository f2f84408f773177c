// Error texts and the module's one fatal stop.
#pragma once

#include <cstdint>

const char* ErrorText(uint32_t code);
const char* SystemErrorText(uint32_t code);
// Releases what the module holds, writes "\nABORT: " and the message to the
// standard error stream and ends the process with status 1.
[[noreturn]] void FatalStop(const char* format, ...) __attribute__((format(printf, 1, 2)));
