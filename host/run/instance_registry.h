// Windows that other processes can find by class and title, so a second
// start of the program finds the first and brings it forward. Windows are
// published under a scope: the user's (desktop runs) or none (this process
// only, the default, so parallel test runs never see each other).
#pragma once

#include <string>

// Empty scope: nothing is published and nothing outside is found.
void HostInstanceScopeSet(const std::string& scope);
const std::string& HostInstanceScope();

// key: class and title of one window. Publishing again moves the window to a
// new key; withdrawing ends it.
void InstanceRegistryPublish(const void* window, const std::string& key);
void InstanceRegistryWithdraw(const void* window);
bool InstanceRegistryExists(const std::string& key);
// Asks the process that published key to bring its window forward.
bool InstanceRegistryRequestRaise(const std::string& key);
// The window of this process whose raise was asked for since the last poll,
// or null.
const void* InstanceRegistryPoll();
