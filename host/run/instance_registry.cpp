#include "host/run/instance_registry.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>

namespace {

std::string& Scope() {
  static std::string scope;
  return scope;
}

// Abstract socket names vanish with their process, so a crashed instance
// never blocks the next start.
sockaddr_un AddressFor(const std::string& key, socklen_t* length) {
  char name[96];
  std::snprintf(name, sizeof name, "novel-window/%s/%016zx", Scope().c_str(),
                std::hash<std::string>{}(key));
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::size_t nameLength = std::strlen(name);
  std::memcpy(address.sun_path + 1, name, nameLength);
  *length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + nameLength);
  return address;
}

std::map<const void*, int>& Listeners() {
  static std::map<const void*, int> listeners;
  return listeners;
}

int Connect(const std::string& key) {
  socklen_t length = 0;
  const sockaddr_un address = AddressFor(key, &length);
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  if (connect(fd, reinterpret_cast<const sockaddr*>(&address), length) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

void HostInstanceScopeSet(const std::string& scope) { Scope() = scope; }
const std::string& HostInstanceScope() { return Scope(); }

void InstanceRegistryPublish(const void* window, const std::string& key) {
  InstanceRegistryWithdraw(window);
  if (Scope().empty()) return;
  socklen_t length = 0;
  const sockaddr_un address = AddressFor(key, &length);
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return;
  if (bind(fd, reinterpret_cast<const sockaddr*>(&address), length) != 0 || listen(fd, 4) != 0) {
    close(fd);
    return;
  }
  Listeners()[window] = fd;
}

void InstanceRegistryWithdraw(const void* window) {
  const auto found = Listeners().find(window);
  if (found == Listeners().end()) return;
  close(found->second);
  Listeners().erase(found);
}

bool InstanceRegistryExists(const std::string& key) {
  if (Scope().empty()) return false;
  const int fd = Connect(key);
  if (fd < 0) return false;
  close(fd);
  return true;
}

bool InstanceRegistryRequestRaise(const std::string& key) {
  if (Scope().empty()) return false;
  const int fd = Connect(key);
  if (fd < 0) return false;
  const bool sent = write(fd, "raise", 5) == 5;
  close(fd);
  return sent;
}

const void* InstanceRegistryPoll() {
  const void* raised = nullptr;
  for (const auto& [window, listener] : Listeners()) {
    // Lookups connect and leave without a word; only "raise" counts.
    for (int client; (client = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC)) >= 0;) {
      timeval timeout{0, 200000};
      setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
      char request[8] = {};
      const ssize_t got = read(client, request, sizeof request - 1);
      close(client);
      if (got == 5 && std::memcmp(request, "raise", 5) == 0) raised = window;
    }
  }
  return raised;
}
