// Test hooks over the host layer: a log of the window, display and Game API
// calls the program made, in order, and calls made to fail on purpose, so
// start-up and shutdown sequences, and write and read faults, can be checked
// without a device (tests run as root, so permissions cannot make a folder
// unwritable).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Starts (or stops) recording; starting empties the log.
void HostCallLogEnable(bool enabled);
bool HostCallLogEnabled();
// Appends one entry when recording. Host calls log their own names; tests
// may log their fakes' calls into the same sequence.
void HostCallLogRecord(const std::string& entry);
// The entries recorded since the last take; the log is emptied.
std::vector<std::string> HostCallLogTake();

// From now on the named call fails the way the platform reports failure
// (null or invalid handle, 0, FALSE) until HostClearFailures. The file calls
// that honour it: CreateFileA, CreateFileW, WriteFile, FlushFileBuffers,
// MoveFileW, SetFileAttributesW, ReadFile and SetFilePointer; LocalAlloc.
void HostFailCall(const std::string& name);
// From now on only the nth call (1 for the next) of the named call fails, as
// HostFailCall would make it; the calls before and after succeed. Until
// HostClearFailures.
void HostFailCallAt(const std::string& name, std::uint32_t nth);
// From now on WriteFile writes at most `bytes` more bytes in all, then fails
// with ERROR_DISK_FULL, the part that fitted written: what a full medium or a
// kill part-way leaves. Until HostClearFailures.
void HostFailWritesAfter(std::uint64_t bytes);
// From now on LocalAlloc refuses blocks over `bytes`, as a device with that
// much memory would, and counts the refusals; until HostClearFailures.
void HostLimitAllocations(std::uint64_t bytes);
// The LocalAlloc requests refused for that limit since it was set.
std::uint32_t HostRefusedAllocations();
// The next time the named call (one of those HostFailCall honours) is made,
// action runs first, once; what a test does "during" a write. Until
// HostClearFailures.
void HostRunAtCall(const std::string& name, std::function<void()> action);
void HostClearFailures();
bool HostCallFails(const std::string& name);
// For the host's WriteFile: how many of `wanted` bytes may still be written
// (all of them unless HostFailWritesAfter set a limit, which this uses up).
std::uint32_t HostTakeWriteAllowance(std::uint32_t wanted);
// For the host's LocalAlloc: whether a block of `bytes` is within the limit
// (a refusal is counted).
bool HostAllocationAllowed(std::uint64_t bytes);
