// Power management: keeping the device from dimming or suspending.
#pragma once

void SystemIdleTimerReset();
// Host side: how many times the idle timer was reset (tests).
unsigned HostIdleTimerResets();
