// Timed actions for unattended runs: scripted stylus, key, focus and close
// events, screenshots of display memory and a time limit. Times are
// milliseconds of the program clock from the moment the schedule starts.
//
// Script text: entries separated by ';' or new lines, each "TIME ACTION ARGS":
//   down X Y | up X Y | move X Y   stylus at (X, Y) of the landscape view
//   tap X Y                        down, then up 50 ms later
//   keydown KEY | keyup KEY        KEY: up down left right enter escape space,
//   press KEY                      a letter or digit, or a decimal key code;
//                                  press = down, then up 50 ms later
//   blur | focus                   another program takes / gives back the front
//   close                          the window's close box
#pragma once

#include <string>
#include <vector>

#include "host/base/win_types.h"

struct ScheduledAction {
  enum class Kind { Down, Up, Move, KeyDown, KeyUp, Blur, Focus, Close, Screenshot };
  DWORD time = 0;
  Kind kind = Kind::Close;
  int x = 0;
  int y = 0;
  unsigned key = 0;
  std::string path;  // screenshots
};

// Appends the script's actions; false (with a message) on the first bad entry.
bool ParseInputScript(const std::string& text, std::vector<ScheduledAction>* actions, std::string* error);
// "TIME:PATH"
bool ParseScreenshotRequest(const std::string& text, ScheduledAction* action);

class InputSchedule {
 public:
  InputSchedule() = default;
  explicit InputSchedule(std::vector<ScheduledAction> actions);
  // Performs every action whose time has come, in time order.
  void RunDue();
  bool Finished() const { return next_ == actions_.size(); }

 private:
  std::vector<ScheduledAction> actions_;
  std::size_t next_ = 0;
  DWORD start_ = 0;
};
