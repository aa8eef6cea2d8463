// Test hooks over the window, display and Game API layer: a log of the calls
// the program made, in order, and calls made to fail on purpose, so start-up
// and shutdown sequences can be checked without a device.
#pragma once

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
// (null handle, 0, FALSE) until HostClearFailures.
void HostFailCall(const std::string& name);
void HostClearFailures();
bool HostCallFails(const std::string& name);
