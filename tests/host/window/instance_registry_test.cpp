// Single instance across processes: a window published under a scope is
// found by another process, which can ask for it to come forward.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "host/run/instance_registry.h"
#include "host/time/time_api.h"
#include "host/window/window_api.h"
#include "host/window/window_backend.h"

namespace {

TEST(InstanceRegistry, AnotherProcessFindsTheWindowAndRaisesIt) {
  HostWindowSystemReset();
  HostInstanceScopeSet("test-" + std::to_string(getpid()));
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = DefWindowProcW;
  windowClass.lpszClassName = u"MYSYSTEM";
  RegisterClassW(&windowClass);
  HWND window = CreateWindowExW(0, u"MYSYSTEM", u"banner", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  SetWindowTextW(window, u"ペルモちゃん");
  EXPECT_EQ(GetForegroundWindow(), nullptr);

  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // A fresh program: nothing of its own, only the other process's window.
    HostWindowSystemReset();
    const bool bannerGone = FindWindowW(u"MYSYSTEM", u"banner") == nullptr;
    HWND found = FindWindowW(u"MYSYSTEM", u"ペルモちゃん");
    const bool raised =
        found && SetForegroundWindow(reinterpret_cast<HWND>(reinterpret_cast<std::uintptr_t>(found) | 1));
    _exit(bannerGone && raised ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  MSG msg;
  PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // takes the request
  EXPECT_EQ(GetForegroundWindow(), window);

  DestroyWindow(window);
  EXPECT_FALSE(InstanceRegistryExists("anything"));
  HostInstanceScopeSet("");
  HostWindowSystemReset();
}

TEST(InstanceRegistry, WithoutAScopeNothingLeavesTheProcess) {
  HostInstanceScopeSet("");
  InstanceRegistryPublish(reinterpret_cast<void*>(16), "key");
  EXPECT_FALSE(InstanceRegistryExists("key"));
  EXPECT_FALSE(InstanceRegistryRequestRaise("key"));
  EXPECT_EQ(InstanceRegistryPoll(), nullptr);
}

}  // namespace
