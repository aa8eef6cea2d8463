#include <signal.h>
#include <unistd.h>

#include <atomic>

#include "host/console/console_api.h"

namespace {

std::atomic<HostStopHandler> stopHandler{nullptr};

void OnSignal(int signalNumber) {
  const HostStopHandler handler = stopHandler.load();
  if (handler != nullptr) handler(128 + signalNumber);
}

}  // namespace

bool HostStandardErrorIsTerminal() { return isatty(STDERR_FILENO) == 1; }

void HostSetStopHandler(HostStopHandler handler) {
  stopHandler = handler;
  struct sigaction action {};
  action.sa_handler = handler != nullptr ? OnSignal : SIG_DFL;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}
